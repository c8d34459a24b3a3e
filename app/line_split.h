// Splits a text into lines that each fit a width: before a space where it
// can, between two characters where one word alone is too wide. Nothing is
// lost: the lines joined again are the text. The space at a break begins the
// next line, which so reads as a continuation.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Width of UTF-8 text, in whatever unit `width` is given.
using TextMeasure = std::function<int(const std::string& text)>;

// The empty text is one empty line; a single character wider than `width`
// gets a line alone.
std::vector<std::string> SplitToWidth(const std::string& text, int width,
                                      const TextMeasure& measure);
