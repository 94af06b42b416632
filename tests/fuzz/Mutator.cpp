#include "tests/fuzz/Mutator.h"

#include <algorithm>
#include <utility>

CMutator::CMutator(std::uint64_t seed, std::vector<std::string> words)
    : m_random(seed), m_words(std::move(words))
{
    // Every format breaks on these.
    for (const char* word : {"\0", "\xFF", "\x80", "\xEF\xBB\xBF", "\xFF\xFE", "\r\n", "\"", "'", "\\", "%s"})
        m_words.emplace_back(word, word[0] == '\0' ? 1 : std::char_traits<char>::length(word));
}

void CMutator::Mutate(std::string& bytes, const std::string& other)
{
    for (size_t changes = 1 + Below(8); changes > 0; --changes)
        MutateOnce(bytes, other);
    if (bytes.size() > kMaxBytes)
        bytes.resize(kMaxBytes);
}

std::string CMutator::Piece(const std::string& bytes)
{
    size_t start = Below(bytes.size() + 1);
    return bytes.substr(start, 1 + Below(std::min<size_t>(64, bytes.size() - start + 1)));
}

void CMutator::MutateOnce(std::string& bytes, const std::string& other)
{
    static const std::uint32_t numbers[] = {0, 1, 0x7F, 0x80, 0xFF, 0x100, 0x7FFF, 0xFFFF, 0x10000, 0x7FFFFFFF,
                                            0x80000000u, 0xFFFFFFFFu};
    const size_t at = Below(bytes.size() + 1);
    switch (Below(9)) {
    case 0:  // a bit
        if (at < bytes.size())
            bytes[at] = static_cast<char>(bytes[at] ^ (1 << Below(8)));
        break;
    case 1:  // a number, as a file format's header holds one: four bytes, big-endian
        if (at + 4 <= bytes.size()) {
            std::uint32_t n = Below(4) == 0 ? static_cast<std::uint32_t>(m_random()) : numbers[Below(12)];
            for (int i = 0; i < 4; ++i)
                bytes[at + i] = static_cast<char>(n >> (24 - 8 * i));
        }
        break;
    case 2:  // a word of the format
        bytes.insert(at, m_words[Below(m_words.size())]);
        break;
    case 3:  // a piece cut out
        bytes.erase(at, 1 + Below(Below(2) == 0 ? 16 : bytes.size() / 2 + 1));
        break;
    case 4:  // a piece copied elsewhere
        bytes.insert(Below(bytes.size() + 1), Piece(bytes));
        break;
    case 5: {  // a word or piece, again and again
        const std::string piece = Below(2) == 0 ? m_words[Below(m_words.size())] : Piece(bytes);
        std::string run;
        for (size_t count = size_t(1) << Below(17); count > 0 && run.size() < kMaxBytes; --count)
            run += piece;
        bytes.insert(at, run);
        break;
    }
    case 6:  // the rest from another input
        bytes = bytes.substr(0, at) + other.substr(Below(other.size() + 1));
        break;
    case 7:  // cut off
        bytes.resize(at);
        break;
    default:  // a byte set to an edge value
        if (at < bytes.size())
            bytes[at] = "\0\xFF\x7F\x80<>&;=[]{}"[Below(13)];
        break;
    }
}
