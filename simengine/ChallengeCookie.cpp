#include "simengine/ChallengeCookie.h"

#include <bit>
#include <random>

namespace vex::sim {

namespace {

// SipHash-2-4 over two 64-bit words: short inputs, and a keyed hash that a sender who cannot
// see the server's replies has no way to predict.
class SipHash {
 public:
  SipHash(std::uint64_t k0, std::uint64_t k1)
      : v0_(k0 ^ 0x736f6d6570736575ULL),
        v1_(k1 ^ 0x646f72616e646f6dULL),
        v2_(k0 ^ 0x6c7967656e657261ULL),
        v3_(k1 ^ 0x7465646279746573ULL) {}

  void Add(std::uint64_t word) {
    v3_ ^= word;
    Round();
    Round();
    v0_ ^= word;
  }

  std::uint64_t Finish(std::uint64_t byteCount) {
    Add(byteCount << 56);
    v2_ ^= 0xff;
    for (int i = 0; i < 4; ++i) {
      Round();
    }
    return v0_ ^ v1_ ^ v2_ ^ v3_;
  }

 private:
  void Round() {
    v0_ += v1_;
    v1_ = std::rotl(v1_, 13) ^ v0_;
    v0_ = std::rotl(v0_, 32);
    v2_ += v3_;
    v3_ = std::rotl(v3_, 16) ^ v2_;
    v0_ += v3_;
    v3_ = std::rotl(v3_, 21) ^ v0_;
    v2_ += v1_;
    v1_ = std::rotl(v1_, 17) ^ v2_;
    v2_ = std::rotl(v2_, 32);
  }

  std::uint64_t v0_, v1_, v2_, v3_;
};

std::uint64_t RandomWord(std::random_device& device) {
  return (static_cast<std::uint64_t>(device()) << 32) | device();
}

}  // namespace

ChallengeCookie::ChallengeCookie() {
  std::random_device device;
  key_ = {RandomWord(device), RandomWord(device)};
}

std::uint64_t ChallengeCookie::Hash(std::uint64_t address, std::int64_t period) const {
  SipHash hash(key_[0], key_[1]);
  hash.Add(address);
  hash.Add(static_cast<std::uint64_t>(period));
  return hash.Finish(16);
}

std::uint64_t ChallengeCookie::Make(std::uint64_t address, std::int64_t nowMs) const {
  return Hash(address, nowMs / kPeriodMs);
}

bool ChallengeCookie::Check(std::uint64_t cookie, std::uint64_t address, std::int64_t nowMs) const {
  const std::int64_t period = nowMs / kPeriodMs;
  return cookie == Hash(address, period) || cookie == Hash(address, period - 1);
}

}  // namespace vex::sim
