#include "base/sha256.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace eos {
namespace {

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// The published test vectors, and runs of 'a' whose lengths sit around the block and
// padding boundaries (55 bytes leave just room for the length, 56 do not).
TEST(Sha256, KnownDigests) {
  const struct {
    std::string input;
    const char* digest;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
      {std::string(56, 'a'), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
      {std::string(57, 'a'), "f13b2d724659eb3bf47f2dd6af1accc87b81f09f59f2b75e5c0bed6589dfe8c6"},
      {std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
      {std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"},
      {std::string(65, 'a'), "635361c48bb9eab14198e76ea8ab7f1a41685d6ad62aa9146d301d4f17eb0ae0"},
      {std::string(119, 'a'), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb"},
      {std::string(120, 'a'), "2f3d335432c70b580af0e8e1b3674a7c020d683aa5f73aaaedfdc55af904c21c"},
      {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (const auto& c : cases) EXPECT_EQ(ToHex(Sha256Of(Bytes(c.input))), c.digest) << c.input.size() << " bytes";
}

// Fed in pieces of any size, the digest is the one of the whole.
TEST(Sha256, PiecesMakeTheWhole) {
  std::string text;
  for (int i = 0; i < 1000; ++i) text += static_cast<char>(i * 7 + i / 13);
  const std::string whole = ToHex(Sha256Of(Bytes(text)));
  for (size_t piece : {1u, 3u, 55u, 63u, 64u, 65u, 200u}) {
    Sha256 hash;
    for (size_t at = 0; at < text.size(); at += piece) hash.Update(Bytes(std::string_view(text).substr(at, piece)));
    EXPECT_EQ(ToHex(hash.Finish()), whole) << "pieces of " << piece;
  }
}

}  // namespace
}  // namespace eos
