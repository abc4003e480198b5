#include "base/cfile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace eos {
namespace {

class CFileTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("cfile_test_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string PathOf(const char* name) const { return (folder_ / name).string(); }
  std::string Content(const char* name) const {
    std::ifstream in(folder_ / name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // Buffered: the text reaches the file only when the stream is flushed or closed.
  CFile Written(const char* name, const char* text) const {
    CFile f(std::fopen(PathOf(name).c_str(), "wb"));
    EXPECT_TRUE(f);
    std::fputs(text, f.get());
    return f;
  }

  std::filesystem::path folder_;
};

// Whoever holds the stream last closes it, once: a move leaves the source empty, a move
// over a held stream closes that one first, and an explicit close is not repeated.
TEST_F(CFileTest, TheLastOwnerClosesOnce) {
  CFile a = Written("a.txt", "first");
  CFile b(std::move(a));
  EXPECT_FALSE(a);
  EXPECT_EQ(Content("a.txt"), "");  // still buffered: nobody closed it
  b = Written("b.txt", "second");
  EXPECT_EQ(Content("a.txt"), "first");  // replaced, so closed
  EXPECT_TRUE(b.Close());
  EXPECT_FALSE(b);
  EXPECT_EQ(Content("b.txt"), "second");
  EXPECT_TRUE(b.Close());  // nothing left to close
  { const CFile c = Written("c.txt", "third"); }
  EXPECT_EQ(Content("c.txt"), "third");
  EXPECT_FALSE(CFile(std::fopen(PathOf("no/such/folder.txt").c_str(), "rb")));
}

}  // namespace
}  // namespace eos
