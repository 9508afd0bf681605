/*
 * The library log: switched on by a call or the environment, filtered by
 * level, written with a timestamp to a file and kept for tests in memory.
 */
#include "lib32_fixture.h"

#include <fstream>
#include <sstream>

namespace {

using lib32test::FakeOs;
using lib32test::Lib32Test;

std::string FileText(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class LogFile : public Lib32Test {};

TEST_F(LogFile, InactiveUntilSwitchedOn) {
  CVQLogFile log;
  EXPECT_FALSE(log.IsLogActive());
  EXPECT_FALSE(log.OpenLog(nullptr)) << "no VQ_LOG setting";
  log.PrtLog(VQLOG_ERROR, "CVQTest", "lost %d", 1);
  log.StartCapture();
  EXPECT_TRUE(log.IsLogActive());
  log.PrtLog(VQLOG_ERROR, "CVQTest", "kept %d", 2);
  log.StopCapture();
  EXPECT_FALSE(log.IsLogActive());
  log.WriteLog(VQLOG_ERROR, "CVQTest", "lost again");
  EXPECT_EQ(log.GetCapturedLines(), std::vector<std::string>{"0 CVQTest kept 2"});
  log.ClearCaptured();
  EXPECT_TRUE(log.GetCapturedLines().empty());
}

TEST_F(LogFile, LevelsAboveTheThresholdAreDropped) {
  CVQLogFile log;
  log.StartCapture();
  EXPECT_EQ(log.GetLogLevel(), 5u);
  const struct {
    UINT threshold;
    std::vector<std::string> kept;
  } rows[] = {
      {5, {"0 T error", "1 T warning", "4 T information", "5 T trace"}},
      {4, {"0 T error", "1 T warning", "4 T information"}},
      {1, {"0 T error", "1 T warning"}},
      {0, {"0 T error"}},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.threshold);
    log.ClearCaptured();
    log.SetLogLevel(row.threshold);
    log.PrtLog(VQLOG_ERROR, "T", "%s", "error");
    log.PrtLog(VQLOG_WARNING, "T", "%s", "warning");
    log.WriteLog(VQLOG_INFO, "T", "information");
    log.WriteLog(VQLOG_TRACE, "T", "trace");
    EXPECT_EQ(log.GetCapturedLines(), row.kept);
  }
}

TEST_F(LogFile, FileLinesCarryTheTimestampAndAreAppended) {
  const std::string path = PathOf("vq.log");
  {
    CVQLogFile log;
    ASSERT_TRUE(log.OpenLog(path.c_str()));
    EXPECT_TRUE(log.IsLogActive());
    log.PrtLog(VQLOG_WARNING, "CVQFieldDesc", "Field name is empty in data field %s(%u)", "FIELD",
               3u);
  }
  CVQLogFile log;
  ASSERT_TRUE(log.OpenLog(path.c_str()));
  log.WriteLog(VQLOG_TRACE, nullptr, nullptr);
  log.CloseLog();
  EXPECT_FALSE(log.IsLogActive());
  EXPECT_EQ(FileText(path), "2026-12-05 18:24:44.007 1 CVQFieldDesc Field name is empty in data "
                            "field FIELD(3)\n"
                            "2026-12-05 18:24:44.007 5  \n");
  EXPECT_FALSE(log.OpenLog(PathOf("no/such/folder.log").c_str()));
  EXPECT_FALSE(log.IsLogActive());
}

TEST_F(LogFile, EnvironmentSwitchesItOnAtConstruction) {
  const std::string path = PathOf("env.log");
  FakeOs::env["VQ_LOG"] = path;
  FakeOs::env["VQ_LOG_LEVEL"] = "1";
  {
    CVQLogFile log;
    EXPECT_TRUE(log.IsLogActive());
    EXPECT_EQ(log.GetLogLevel(), 1u);
    log.WriteLog(VQLOG_INFO, "T", "dropped");
    log.WriteLog(VQLOG_WARNING, "T", "written");
  }
  EXPECT_EQ(FileText(path), "2026-12-05 18:24:44.007 1 T written\n");
  FakeOs::env["VQ_LOG_LEVEL"] = "two";
  CVQLogFile log;
  EXPECT_EQ(log.GetLogLevel(), 5u) << "a level that is no number is ignored";
}

TEST_F(LogFile, LongTextsAreCut) {
  CVQLogFile log;
  log.StartCapture();
  const std::string text(5000, 'x');
  log.PrtLog(VQLOG_ERROR, "T", "%s", text.c_str());
  log.WriteLog(VQLOG_ERROR, "T", text.c_str());
  const auto lines = log.GetCapturedLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "0 T " + std::string(4095, 'x'));
  EXPECT_EQ(lines[1], lines[0]);
}

TEST_F(LogFile, DefaultIsTheInstalledLog) {
  CVQLogFile &builtIn = CVQLogFile::GetDefault();
  {
    CVQLogFile context;
    CVQLogFile::SetDefault(&context);
    EXPECT_EQ(&CVQLogFile::GetDefault(), &context);
  }
  // A destroyed log never stays installed.
  EXPECT_EQ(&CVQLogFile::GetDefault(), &builtIn);
  CVQLogFile other;
  CVQLogFile::SetDefault(&other);
  CVQLogFile::SetDefault(nullptr);
  EXPECT_EQ(&CVQLogFile::GetDefault(), &builtIn);
}

} // namespace
