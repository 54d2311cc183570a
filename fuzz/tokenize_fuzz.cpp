// SPDX-License-Identifier: MIT
// Splits arbitrary text and checks every promise that tokenize makes about
// the text and the slots.
#include "check.h"
#include "tokenize.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the limit, from -2 to 253: limits below 1 still
    // yield one token, so the slot array always has room for one.
    int limit = static_cast<int>(data[0]) - 2;
    std::size_t slotcount = limit < 1 ? 1 : static_cast<std::size_t>(limit);

    // The rest is the buffer; a zero byte inside it ends the text early, and
    // the bytes after that zero are not the tokenizer's to touch.
    std::vector<char> text(data + 1, data + size);
    text.push_back('\0');
    const std::vector<char> before = text;
    std::size_t length = std::strlen(text.data());

    // The array is exactly as large as promised, so a write past it is a
    // heap overflow for the sanitizer; the sentinel shows a stray write
    // within it.
    char sentinel = 0;
    std::vector<char *> slots(slotcount, &sentinel);
    int count = tokenize(text.data(), limit, slots.data());

    require(count >= 0, "the count is not negative");
    require(count <= (limit < 1 ? 1 : limit), "the count never exceeds the limit");
    bool blankonly = true;
    for (std::size_t i = 0; i < length; i++)
        blankonly = blankonly && static_cast<unsigned char>(before[i]) <= 0x20;
    require((count == 0) == blankonly, "a text without tokens is blanks only");

    for (std::size_t i = 0; i < text.size(); i++)
        require(text[i] == before[i] || (text[i] == '\0' && i < length), "only bytes of the text become zero");

    const char *first = text.data();
    const char *last = text.data() + length;
    const char *previousend = nullptr;
    for (int k = 0; k < count; k++) {
        const char *token = slots[static_cast<std::size_t>(k)];
        require(token >= first && token <= last, "every token lies inside the text");
        const char *end = token + std::strlen(token);
        require(end <= last, "every token is zero-terminated inside the text");
        require(previousend == nullptr || token > previousend, "tokens come in order and never overlap");
        previousend = end;
    }
    for (std::size_t k = static_cast<std::size_t>(count); k < slotcount; k++)
        require(slots[k] == &sentinel, "slots at and beyond the count are untouched");
    return 0;
}
