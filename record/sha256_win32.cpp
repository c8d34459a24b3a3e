// Windows' own cryptography (CNG), there since Vista; nothing to ship.
#include <windows.h>

#include <bcrypt.h>

#include "record/sha256.h"

namespace {

bool Succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

int Sha256(const uint8_t* data, size_t size, uint8_t digest[sha256Size]) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!Succeeded(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
    return -1;
  }
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool ok = Succeeded(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
  // BCryptHashData takes a ULONG count: feed large inputs in pieces.
  constexpr size_t piece = 1u << 30;
  for (size_t done = 0; ok && done < size; done += piece) {
    const ULONG count = static_cast<ULONG>(size - done < piece ? size - done : piece);
    ok = Succeeded(BCryptHashData(hash, const_cast<PUCHAR>(data + done), count, 0));
  }
  ok = ok && Succeeded(BCryptFinishHash(hash, digest, sha256Size, 0));
  if (hash != nullptr) BCryptDestroyHash(hash);
  BCryptCloseAlgorithmProvider(algorithm, 0);
  return ok ? 0 : -1;
}
