// Nettle: part of every Debian system already (apt's TLS stack rests on
// it), with a plain init/update/digest interface and no global state.
#include <nettle/sha2.h>

#include "record/sha256.h"

int Sha256(const uint8_t* data, size_t size, uint8_t digest[sha256Size]) {
  sha256_ctx context;
  sha256_init(&context);
  sha256_update(&context, size, data);
  sha256_digest(&context, SHA256_DIGEST_SIZE, digest);
  return 0;
}
