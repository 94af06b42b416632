#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

// Changes bytes as damage and attacks do: bits flipped, bytes and numbers
// set to edge values, pieces cut, copied, repeated thousands of times or
// taken from another input, and the words a format is made of put in.
// The same seed gives the same changes.
class CMutator {
public:
    static const size_t kMaxBytes = 1 << 20;

    CMutator(std::uint64_t seed, std::vector<std::string> words);

    // One to eight changes; `other` lends pieces.
    void Mutate(std::string& bytes, const std::string& other);
    size_t Below(size_t bound) { return bound == 0 ? 0 : static_cast<size_t>(m_random() % bound); }

private:
    void MutateOnce(std::string& bytes, const std::string& other);
    std::string Piece(const std::string& bytes);

    std::mt19937_64 m_random;
    std::vector<std::string> m_words;
};
