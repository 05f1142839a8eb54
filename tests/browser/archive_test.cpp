// The thumbnail archive: its bytes, Pack's listing, Unpack's answers and what
// either does with damaged archives, unsafe names and failing writes.
#include "browser/ThumbArchive.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define UNDER_ASAN 1
#endif
#endif

namespace {

std::string ReadAll(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

void WriteAll(const std::string &path, const std::string &bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Le32(uint32_t v) {
  std::string s;
  for (int i = 0; i < 4; ++i)
    s += static_cast<char>(v >> (8 * i) & 0xFF);
  return s;
}

// Bytes that differ from entry to entry and across a 64 KiB boundary.
std::string Pattern(size_t size, int seed) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i)
    s[i] = static_cast<char>((i * 31 + i / 251 + static_cast<size_t>(seed) * 17) & 0xFF);
  return s;
}

time_t Local(int year, int month, int day, int hour, int minute, int second) {
  tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_isdst = -1;
  return mktime(&t);
}

void SetWritten(const std::string &path, time_t when) {
  const timespec times[2] = {{when, 0}, {when, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

time_t Written(const std::string &path) {
  struct stat st {};
  EXPECT_EQ(lstat(path.c_str(), &st), 0) << path;
  return st.st_mtim.tv_sec;
}

bool Exists(const std::string &path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// Every name in the folder, hidden ones included, in listing order.
std::vector<std::string> Names(const std::string &folder) {
  std::vector<std::string> names;
  if (DIR *dir = opendir(folder.c_str())) {
    while (const dirent *e = readdir(dir)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  return names;
}

std::set<std::string> NameSet(const std::string &folder) {
  const std::vector<std::string> names = Names(folder);
  return {names.begin(), names.end()};
}

struct Entry {
  Entry(std::string n, std::string d, std::string day = "2007/03/05",
        std::string clock = "09:07:02", std::optional<uint32_t> declared = std::nullopt)
      : name(std::move(n)), data(std::move(d)), date(std::move(day)), time(std::move(clock)),
        size(declared) {}
  std::string name;
  std::string data;
  std::string date;
  std::string time;
  std::optional<uint32_t> size; // the data's length unless given
};

std::string EntryBytes(const Entry &e) {
  return e.name + '\0' + e.date + e.time +
         Le32(e.size.value_or(static_cast<uint32_t>(e.data.size()))) + e.data;
}

std::string ArchiveBytes(uint32_t count, const std::vector<Entry> &entries) {
  std::string bytes = Le32(count);
  for (const Entry &e : entries)
    bytes += EntryBytes(e);
  return bytes;
}

// The names stored in a well-formed archive, in order.
std::vector<std::string> StoredNames(const std::string &archive) {
  std::vector<std::string> names;
  size_t at = 4;
  while (at < archive.size()) {
    const size_t nul = archive.find('\0', at);
    if (nul == std::string::npos || nul + 23 > archive.size()) break;
    names.push_back(archive.substr(at, nul - at));
    const auto *p = reinterpret_cast<const unsigned char *>(archive.data() + nul + 19);
    at = nul + 23 + (p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
  }
  return names;
}

// Runs `body` in a child process under `setup` (resource limits) and gives
// its exit status, or -1 when it did not exit normally.
int InChild(const std::function<void()> &setup, const std::function<int()> &body) {
  const pid_t pid = fork();
  if (pid == 0) {
    setup();
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Writes past `bytes` fail as on a full disk.
void LimitFileSize(rlim_t bytes) {
  signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{bytes, bytes};
  setrlimit(RLIMIT_FSIZE, &limit);
}

// Pack's answer as an exit status; 1 is already 1, the rest are negative.
int ExitCode(int result) { return result & 0xFF; }

class ThumbArchiveTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(base_.isValid());
    ASSERT_EQ(mkdir(Path("src").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(Path("out").c_str(), 0755), 0);
  }

  std::string Path(const std::string &name) const {
    return base_.path().toStdString() + "/" + name;
  }
  static QString Q(const std::string &path) { return QFile::decodeName(path.c_str()); }

  int PackSrc() const { return Pack(Q(Path("a.kxa")), Q(Path("src"))); }
  int UnpackOut() const { return Unpack(Q(Path("a.kxa")), Q(Path("out"))); }
  int UnpackBytes(const std::string &archive) const {
    WriteAll(Path("a.kxa"), archive);
    return UnpackOut();
  }

  QTemporaryDir base_;
};

TEST_F(ThumbArchiveTest, EmptyFolderPacksToACountOfZero) {
  WriteAll(Path("src/photo.jpg"), "not a thumbnail");
  EXPECT_EQ(PackSrc(), kArchiveOk);
  EXPECT_EQ(ReadAll(Path("a.kxa")), std::string(4, '\0'));
  EXPECT_EQ(UnpackOut(), kArchiveOk);
  EXPECT_TRUE(Names(Path("out")).empty());
}

TEST_F(ThumbArchiveTest, EntryHoldsNameDateTimeSizeAndBytes) {
  const std::string data = Pattern(1234, 1);
  WriteAll(Path("src/a.sam"), data);
  SetWritten(Path("src/a.sam"), Local(2007, 3, 5, 9, 7, 2));
  ASSERT_EQ(PackSrc(), kArchiveOk);
  const std::string archive = ReadAll(Path("a.kxa"));
  // The count, then the name's 5 bytes and 23 of NUL, date, time and size.
  ASSERT_EQ(archive.size(), 4u + 5 + 23 + 1234);
  EXPECT_EQ(archive, Le32(1) + std::string("a.sam\0", 6) + "2007/03/05" + "09:07:02" +
                         std::string("\xD2\x04\0\0", 4) + data);
}

TEST_F(ThumbArchiveTest, TimesAreStoredAtTwoSecondResolution) {
  WriteAll(Path("src/b.sam"), "x");
  SetWritten(Path("src/b.sam"), Local(1999, 12, 31, 23, 59, 59));
  ASSERT_EQ(PackSrc(), kArchiveOk);
  EXPECT_EQ(ReadAll(Path("a.kxa")).substr(4 + 6, 18), "1999/12/3123:59:58");
}

TEST_F(ThumbArchiveTest, PackListsRegularThumbnailFilesInListingOrder) {
  for (const char *name : {"A.SAM", "b.Sam", "c.sam", ".hidden.sam", "x.jpg", "y.sam.bak", "sam",
                           "back\\slash.sam", "ctrl\x01.sam",
                           "\xC2\xA5.sam",     // the yen sign comes back as a backslash
                           "\xE3\x80\x9C.sam", // the wave dash comes back as a full-width tilde
                           "\xFF\xFE.sam"})    // not UTF-8 at all
    WriteAll(Path("src/") + name, name);
  ASSERT_EQ(mkdir(Path("src/dir.sam").c_str(), 0755), 0);
  ASSERT_EQ(symlink("c.sam", Path("src/link.sam").c_str()), 0);
  ASSERT_EQ(mkfifo(Path("src/pipe.sam").c_str(), 0644), 0);
  ASSERT_EQ(PackSrc(), kArchiveOk);

  std::vector<std::string> expected;
  for (const std::string &name : Names(Path("src")))
    if (name == "A.SAM" || name == "b.Sam" || name == "c.sam") expected.push_back(name);
  const std::string archive = ReadAll(Path("a.kxa"));
  EXPECT_EQ(archive.substr(0, 4), Le32(3));
  EXPECT_EQ(StoredNames(archive), expected);
}

TEST_F(ThumbArchiveTest, PackStopsAt9999Files) {
  for (int i = 0; i < 10001; ++i)
    WriteAll(Path("src/") + std::to_string(i) + ".sam", "");
  ASSERT_EQ(PackSrc(), kArchiveOk);
  const std::string archive = ReadAll(Path("a.kxa"));
  EXPECT_EQ(archive.substr(0, 4), Le32(9999));
  const std::vector<std::string> listed = Names(Path("src"));
  EXPECT_EQ(StoredNames(archive), std::vector<std::string>(listed.begin(), listed.begin() + 9999));
}

TEST_F(ThumbArchiveTest, RoundTripRestoresBytesAndTimes) {
  struct File {
    std::string name;
    size_t size;
    time_t written;
  };
  const std::vector<File> files = {
      {"写真.sam", 300, Local(2007, 3, 5, 9, 7, 2)},
      {"表.sam", 200000, Local(2010, 7, 1, 0, 0, 0)}, // 表 ends in the byte of a backslash
      {"empty.sam", 0, Local(2001, 1, 1, 12, 30, 44)},
      {"Z.SAM", 65536, Local(2023, 11, 30, 23, 59, 58)},
  };
  for (size_t i = 0; i < files.size(); ++i) {
    WriteAll(Path("src/") + files[i].name, Pattern(files[i].size, static_cast<int>(i)));
    SetWritten(Path("src/") + files[i].name, files[i].written);
  }
  ASSERT_EQ(PackSrc(), kArchiveOk);
  const std::string archive = ReadAll(Path("a.kxa"));
  EXPECT_NE(archive.find(std::string("\x8E\xCA\x90\x5E.sam\0", 9)), std::string::npos);
  EXPECT_NE(archive.find(std::string("\x95\x5C.sam\0", 7)), std::string::npos);

  ASSERT_EQ(UnpackOut(), kArchiveOk);
  EXPECT_EQ(NameSet(Path("out")), NameSet(Path("src")));
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].name);
    EXPECT_EQ(ReadAll(Path("out/") + files[i].name), Pattern(files[i].size, static_cast<int>(i)));
    EXPECT_EQ(Written(Path("out/") + files[i].name), files[i].written);
  }
}

TEST_F(ThumbArchiveTest, Cp932NamesUnpackAsUtf8) {
  EXPECT_EQ(UnpackBytes(ArchiveBytes(
                2, {{"\x8E\xCA\x90\x5E.sam", "photo"}, {"\xB6\xD2\xD7.sam", "camera"}})),
            kArchiveOk);
  EXPECT_EQ(ReadAll(Path("out/写真.sam")), "photo");
  EXPECT_EQ(ReadAll(Path("out/ｶﾒﾗ.sam")), "camera");
  EXPECT_EQ(Written(Path("out/写真.sam")), Local(2007, 3, 5, 9, 7, 2));
}

TEST_F(ThumbArchiveTest, AnEmptyFirstNameTakesTheNextString) {
  const std::string archive = ArchiveBytes(
      3, {{std::string("\0b.sam", 6), "bee"}, {std::string("\0", 1), "no name"}, {"c.sam", "sea"}});
  EXPECT_EQ(UnpackBytes(archive), kArchiveOk);
  EXPECT_EQ(NameSet(Path("out")), (std::set<std::string>{"b.sam", "c.sam"}));
  EXPECT_EQ(ReadAll(Path("out/b.sam")), "bee");
  EXPECT_EQ(ReadAll(Path("out/c.sam")), "sea");
}

TEST_F(ThumbArchiveTest, ExistingFileIsReplaced) {
  WriteAll(Path("out/a.sam"), "an older and longer thumbnail");
  EXPECT_EQ(UnpackBytes(ArchiveBytes(1, {{"a.sam", "new"}})), kArchiveOk);
  EXPECT_EQ(ReadAll(Path("out/a.sam")), "new");
  EXPECT_EQ(Written(Path("out/a.sam")), Local(2007, 3, 5, 9, 7, 2));
}

TEST_F(ThumbArchiveTest, CountBeyondTheEntriesAnswersMinusThree) {
  EXPECT_EQ(UnpackBytes(ArchiveBytes(3, {{"a.sam", "one"}, {"b.sam", "two"}})), kArchiveNoName);
  EXPECT_EQ(ReadAll(Path("out/a.sam")), "one");
  EXPECT_EQ(ReadAll(Path("out/b.sam")), "two");
}

TEST_F(ThumbArchiveTest, CutHeaderFieldsAnswerTheirCodes) {
  const std::string first = ArchiveBytes(2, {{"first.sam", "kept"}});
  const std::string second = EntryBytes({"second.sam", "lost"});
  const size_t name = 11, date = name + 10, time = date + 8;
  const std::vector<std::pair<size_t, int>> cuts = {
      {0, kArchiveNoName},        {5, kArchiveNoName},        {name, kArchiveNoDate},
      {name + 9, kArchiveNoDate}, {date, kArchiveNoTime},     {date + 7, kArchiveNoTime},
      {time, kArchiveNoSize},     {time + 3, kArchiveNoSize},
  };
  for (const auto &[length, code] : cuts) {
    SCOPED_TRACE(length);
    unlink(Path("out/first.sam").c_str());
    EXPECT_EQ(UnpackBytes(first + second.substr(0, length)), code);
    EXPECT_EQ(ReadAll(Path("out/first.sam")), "kept");
    EXPECT_EQ(NameSet(Path("out")), std::set<std::string>{"first.sam"});
  }
}

TEST_F(ThumbArchiveTest, ArchiveThatCannotBeReadAnswersOne) {
  EXPECT_EQ(UnpackOut(), kArchiveFailed); // missing
  EXPECT_EQ(Unpack(Q(Path("src")), Q(Path("out"))), kArchiveFailed);
  EXPECT_EQ(UnpackBytes(std::string("\1\0\0", 3)), kArchiveFailed); // no whole count
  EXPECT_TRUE(Names(Path("out")).empty());
}

TEST_F(ThumbArchiveTest, CutDataKeepsWhatThereWas) {
  const std::string data = Pattern(40, 3);
  EXPECT_EQ(UnpackBytes(ArchiveBytes(1, {{"a.sam", data, "2007/03/05", "09:07:02", 100}})),
            kArchiveOk);
  EXPECT_EQ(ReadAll(Path("out/a.sam")), data);
  EXPECT_EQ(UnpackBytes(ArchiveBytes(2, {{"b.sam", data, "2007/03/05", "09:07:02", 100}})),
            kArchiveNoName);
  EXPECT_EQ(ReadAll(Path("out/b.sam")), data);
}

TEST_F(ThumbArchiveTest, NegativeSizeHasNoData) {
  const std::string archive =
      ArchiveBytes(2, {{"a.sam", "", "2007/03/05", "09:07:02", 0xFFFFFFF0u}, {"b.sam", "bee"}});
  EXPECT_EQ(UnpackBytes(archive), kArchiveOk);
  EXPECT_EQ(ReadAll(Path("out/a.sam")), "");
  EXPECT_EQ(ReadAll(Path("out/b.sam")), "bee");
}

TEST_F(ThumbArchiveTest, HugeCountAndSizeNeedNoMemory) {
#ifdef UNDER_ASAN
  GTEST_SKIP() << "an address-space limit and the sanitizer's shadow memory do not mix";
#endif
  WriteAll(Path("a.kxa"), ArchiveBytes(0x7FFFFFFF, {{"a.sam", "ten bytes!", "2007/03/05",
                                                     "09:07:02", 0x7FFFFFFF}}));
  // Room for what the process has now and a little more, far less than 2 GiB.
  long pages = 0;
  std::ifstream("/proc/self/statm") >> pages;
  const rlim_t room =
      static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (64u << 20);
  const int status = InChild(
      [&] {
        const rlimit limit{room, room};
        setrlimit(RLIMIT_AS, &limit);
      },
      [&] { return UnpackOut() == kArchiveNoName ? 0 : 1; });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(ReadAll(Path("out/a.sam")), "ten bytes!");
}

TEST_F(ThumbArchiveTest, OtherTimeTextKeepsTheFileWithItsWriteTime) {
  const std::vector<std::pair<std::string, std::string>> stamps = {
      {"2007-03-05", "09:07:02"}, {"2007/03/05", "09.07.02"}, {"2007/13/05", "09:07:02"},
      {"2007/02/29", "09:07:02"}, {"2007/03/05", "24:00:00"}, {"2007/03/05", " 9:07:02"},
      {"+007/03/05", "09:07:02"}, {"2007/03/00", "09:07:02"}, {"2007/03/05", "09:60:02"},
  };
  std::vector<Entry> entries;
  for (size_t i = 0; i < stamps.size(); ++i)
    entries.push_back(
        {"bad" + std::to_string(i) + ".sam", "data", stamps[i].first, stamps[i].second});
  entries.push_back({"leap.sam", "data", "2008/02/29", "23:59:59"});
  const time_t before = time(nullptr);
  EXPECT_EQ(UnpackBytes(ArchiveBytes(static_cast<uint32_t>(entries.size()), entries)), kArchiveOk);
  for (size_t i = 0; i < stamps.size(); ++i) {
    const std::string path = Path("out/bad" + std::to_string(i) + ".sam");
    SCOPED_TRACE(path);
    EXPECT_EQ(ReadAll(path), "data");
    EXPECT_GE(Written(path), before - 1);
  }
  EXPECT_EQ(Written(Path("out/leap.sam")), Local(2008, 2, 29, 23, 59, 59));
}

TEST_F(ThumbArchiveTest, FilesThatCannotBeMadeAreSkipped) {
  ASSERT_EQ(mkdir(Path("out/b.sam").c_str(), 0755), 0);
  WriteAll(Path("out/c.sam"), "read-only");
  ASSERT_EQ(chmod(Path("out/c.sam").c_str(), 0444), 0);
  const std::string archive = ArchiveBytes(
      4, {{"a.sam", "one"}, {"b.sam", "two"}, {"c.sam", "three"}, {"d.sam", Pattern(70000, 4)}});
  EXPECT_EQ(UnpackBytes(archive), kArchiveOk);
  EXPECT_EQ(ReadAll(Path("out/a.sam")), "one");
  EXPECT_TRUE(Names(Path("out/b.sam")).empty());
  EXPECT_EQ(ReadAll(Path("out/c.sam")), "read-only");
  EXPECT_EQ(ReadAll(Path("out/d.sam")), Pattern(70000, 4));
  EXPECT_EQ(NameSet(Path("out")), (std::set<std::string>{"a.sam", "b.sam", "c.sam", "d.sam"}));
}

TEST_F(ThumbArchiveTest, ReadOnlyDestinationGetsNothing) {
  ASSERT_EQ(chmod(Path("out").c_str(), 0555), 0);
  if (access(Path("out").c_str(), W_OK) == 0) GTEST_SKIP() << "permissions do not bind this user";
  EXPECT_EQ(UnpackBytes(ArchiveBytes(2, {{"a.sam", "one"}, {"b.sam", "two"}})), kArchiveOk);
  EXPECT_TRUE(Names(Path("out")).empty());
}

TEST_F(ThumbArchiveTest, UnsafeNamesAreSkipped) {
  ASSERT_EQ(mkdir(Path("out/a").c_str(), 0755), 0);
  const std::vector<std::string> unsafe = {
      "../x.sam",
      "a/b.sam",
      "..",
      ".",
      Path("abs.sam"),
      "a\\b.sam",
      "..\\x.sam",
      "c\x01.sam",
      "d\x7F.sam",
      "e\x1B.sam",
      "\x81\x20.sam",
      "\x80.sam",
      "\xFD.sam",
      "tail\x81", // a lead byte without its second byte
      std::string(3000, 'n') + ".sam",
  };
  std::vector<Entry> entries;
  for (const std::string &name : unsafe)
    entries.push_back({name, "bad"});
  entries.push_back({"ok.sam", "good"});
  EXPECT_EQ(UnpackBytes(ArchiveBytes(static_cast<uint32_t>(entries.size()), entries)), kArchiveOk);
  EXPECT_EQ(NameSet(Path("out")), (std::set<std::string>{"a", "ok.sam"}));
  EXPECT_TRUE(Names(Path("out/a")).empty());
  EXPECT_EQ(ReadAll(Path("out/ok.sam")), "good");
  EXPECT_EQ(NameSet(Path("")), (std::set<std::string>{"a.kxa", "out", "src"}));
}

TEST_F(ThumbArchiveTest, SymbolicLinksInTheDestinationAreNotFollowed) {
  WriteAll(Path("target.txt"), "keep");
  ASSERT_EQ(symlink("../target.txt", Path("out/x.sam").c_str()), 0);
  ASSERT_EQ(symlink("../made.sam", Path("out/y.sam").c_str()), 0);
  const std::string archive =
      ArchiveBytes(3, {{"x.sam", "overwritten"}, {"y.sam", "created"}, {"z.sam", "zed"}});
  EXPECT_EQ(UnpackBytes(archive), kArchiveOk);
  EXPECT_EQ(ReadAll(Path("target.txt")), "keep");
  EXPECT_FALSE(Exists(Path("made.sam")));
  char link[64] = {};
  EXPECT_GT(readlink(Path("out/x.sam").c_str(), link, sizeof link - 1), 0);
  EXPECT_EQ(std::string(link), "../target.txt");
  EXPECT_EQ(ReadAll(Path("out/z.sam")), "zed");
  EXPECT_EQ(NameSet(Path("out")), (std::set<std::string>{"x.sam", "y.sam", "z.sam"}));
}

TEST_F(ThumbArchiveTest, WriteFailureLeavesNoPartOfTheFile) {
  WriteAll(Path("a.kxa"), ArchiveBytes(2, {{"big.sam", Pattern(100000, 5)}, {"small.sam", "s"}}));
  EXPECT_EQ(InChild([] { LimitFileSize(4096); }, [&] { return ExitCode(UnpackOut()); }), 0);
  EXPECT_EQ(NameSet(Path("out")), std::set<std::string>{"small.sam"});
  EXPECT_EQ(ReadAll(Path("out/small.sam")), "s");
}

TEST_F(ThumbArchiveTest, FailedPackLeavesTheOldArchive) {
  WriteAll(Path("a.kxa"), "old archive");
  WriteAll(Path("src/a.sam"), Pattern(100000, 6));
  // The disk fills while writing.
  EXPECT_EQ(InChild([] { LimitFileSize(4096); }, [&] { return ExitCode(PackSrc()); }),
            kArchiveFailed);
  // The folder to pack is missing.
  EXPECT_EQ(Pack(Q(Path("a.kxa")), Q(Path("none"))), kArchiveFailed);
  // A folder stands where the archive goes.
  ASSERT_EQ(mkdir(Path("dir.kxa").c_str(), 0755), 0);
  EXPECT_EQ(Pack(Q(Path("dir.kxa")), Q(Path("src"))), kArchiveFailed);
  EXPECT_EQ(Pack(Q(Path("none/a.kxa")), Q(Path("src"))), kArchiveFailed);
  EXPECT_EQ(ReadAll(Path("a.kxa")), "old archive");
  EXPECT_EQ(NameSet(Path("")), (std::set<std::string>{"a.kxa", "dir.kxa", "out", "src"}));

  ASSERT_EQ(PackSrc(), kArchiveOk);
  EXPECT_EQ(ReadAll(Path("a.kxa")).size(), 4u + 5 + 23 + 100000);
  EXPECT_EQ(NameSet(Path("")), (std::set<std::string>{"a.kxa", "dir.kxa", "out", "src"}));
}

TEST_F(ThumbArchiveTest, PackIntoReadOnlyFolderAnswersOne) {
  ASSERT_EQ(mkdir(Path("ro").c_str(), 0755), 0);
  WriteAll(Path("ro/a.kxa"), "old archive");
  WriteAll(Path("src/a.sam"), "thumb");
  ASSERT_EQ(chmod(Path("ro").c_str(), 0555), 0);
  if (access(Path("ro").c_str(), W_OK) == 0) GTEST_SKIP() << "permissions do not bind this user";
  EXPECT_EQ(Pack(Q(Path("ro/a.kxa")), Q(Path("src"))), kArchiveFailed);
  EXPECT_EQ(ReadAll(Path("ro/a.kxa")), "old archive");
  EXPECT_EQ(Names(Path("ro")), std::vector<std::string>{"a.kxa"});
  chmod(Path("ro").c_str(), 0755);
}

} // namespace
