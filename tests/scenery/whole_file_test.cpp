// Reading a scenery file whole: the bytes as they are, the reasons when there is no file to read,
// and never a wait on something that is not a file.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "scenery/WholeFile.h"
#include "support/TempDir.h"

namespace corvane::scenery {
namespace {

using corvane::testing::TempDir;

TEST(WholeFile, ReadsEveryByteIntoAReusedBuffer) {
    TempDir dir;
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i) {
        big[i] = static_cast<char>(i * 7 % 251);
    }
    dir.Write("BIG.BGL", big);
    dir.Write("SMALL.BGL", std::string("\x01\x00\x02", 3));
    dir.Write("EMPTY.BGL", "");

    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(ReadWholeFile(dir / "BIG.BGL", bytes, error));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), big);
    // A smaller file after a larger one leaves nothing of the larger behind.
    ASSERT_TRUE(ReadWholeFile(dir / "SMALL.BGL", bytes, error));
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 0, 2}));
    ASSERT_TRUE(ReadWholeFile(dir / "EMPTY.BGL", bytes, error));
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(error, "");
}

TEST(WholeFile, NoFileAFolderOrAPipeIsRefusedWithItsReason) {
    TempDir dir;
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_FALSE(ReadWholeFile(dir / "GONE.BGL", bytes, error));
    EXPECT_EQ(error, "no such file");
    std::filesystem::create_directory(dir / "FOLDER.BGL");
    EXPECT_FALSE(ReadWholeFile(dir / "FOLDER.BGL", bytes, error));
    EXPECT_EQ(error, "not a regular file");
    // A named pipe nobody writes to: refused at once instead of waiting for a writer forever.
    ASSERT_EQ(::mkfifo((dir / "PIPE.BGL").c_str(), 0644), 0);
    EXPECT_FALSE(ReadWholeFile(dir / "PIPE.BGL", bytes, error));
    EXPECT_EQ(error, "not a regular file");
}

}  // namespace
}  // namespace corvane::scenery
