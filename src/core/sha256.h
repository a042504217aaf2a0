#pragma once
// SHA-256, so that the packaging tool can give the digest that package
// managers check an installer against, without a cryptography library.

#include <array>
#include <cstdint>
#include <span>

namespace core {

using Sha256Digest = std::array<uint8_t, 32>;

Sha256Digest Sha256(std::span<const uint8_t> data);

}  // namespace core
