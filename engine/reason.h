// The one sentence a refused file or a button that did nothing gives the user. Built from pieces
// of text and numbers and cut at the buffer's end: a handful of messages do not need a
// formatted-print library in the module.
#pragma once

#include <cstdint>

// Room for any reason the file readers and the automatic curves give, terminator included.
constexpr int32_t kReasonLength = 128;

class Reason {
 public:
  // A name inside a sentence: "the Red curve" reads as "the red curve".
  struct Lower {
    const char* text;
  };

  explicit Reason(char (&out)[kReasonLength]) : out_(out) { out_[0] = '\0'; }
  Reason& operator<<(const char* text) { return Append(text, false); }
  Reason& operator<<(Lower name) { return Append(name.text, true); }
  Reason& operator<<(int64_t number) {
    // Built from the magnitude as unsigned, so the most negative value has a magnitude too.
    uint64_t magnitude = number < 0 ? 0 - static_cast<uint64_t>(number)
                                    : static_cast<uint64_t>(number);
    char text[21];
    char* first = text + sizeof text - 1;
    *first = '\0';
    do {
      *--first = static_cast<char>('0' + magnitude % 10);
      magnitude /= 10;
    } while (magnitude != 0);
    if (number < 0) *this << "-";
    return *this << static_cast<const char*>(first);
  }
  Reason& operator<<(int32_t number) { return *this << static_cast<int64_t>(number); }
  Reason& operator<<(uint32_t number) { return *this << static_cast<int64_t>(number); }

 private:
  Reason& Append(const char* text, bool lower) {
    for (; *text != '\0' && length_ + 1 < kReasonLength; ++text) {
      const bool upper = *text >= 'A' && *text <= 'Z';
      out_[length_++] = lower && upper ? static_cast<char>(*text - 'A' + 'a') : *text;
    }
    out_[length_] = '\0';
    return *this;
  }

  char* out_;
  int32_t length_ = 0;
};
