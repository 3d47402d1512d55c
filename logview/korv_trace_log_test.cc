#include "logview/korv_trace_log.h"

#include <gtest/gtest.h>

#include "platform/mail/smtp_mail.h"
#include "testing/smtp_sink.h"
#include "testing/test_station.h"

namespace korv {
namespace {

using testing::SmtpSink;
using testing::TestStation;

const char kNovemberLog[] = "F:\\KORVAIN\\PhoneOrders\\1126DElayedSend.LOG";
const char kDecemberLog[] = "F:\\KORVAIN\\PhoneOrders\\1226DElayedSend.LOG";
const char kMailConf[] = "C:\\Korvain\\mail.conf";

class LogViewerTest : public ::testing::Test {
 protected:
  LogViewerTest() : mail(t.files), viewer(t.station, t.platform, mail) {
    t.station.DataRoot = "F:\\KORVAIN\\";
    t.clock.Set(DateTime{Date{2026, 12, 1}, 8 * 3600});
  }

  void MailTo(const std::string& server) {
    t.Write(kMailConf, "# support mail\nserver = " + server +
                           "\nfrom = Kitchen <kitchen@example.com>\nto = support@example.com\n");
  }

  TestStation t;
  SmtpMail mail;
  KorvTraceLOg viewer;
};

// The text of the message part that carries the named file, decoded.
std::string Attachment(const std::string& data, const std::string& name) {
  size_t at = data.find("filename=\"" + name + "\"");
  if (at == std::string::npos) return "<no attachment>";
  size_t start = data.find("\r\n\r\n", at) + 4;
  return testing::DecodeBase64(data.substr(start, data.find("\r\n--", start) - start));
}

TEST_F(LogViewerTest, ShowsThisMonthsLogAsStoredAndStartsANewMonthEmpty) {
  t.Write(kNovemberLog, "\"old\"\r\n");

  viewer.Show();

  EXPECT_TRUE(viewer.Visible);
  EXPECT_EQ(viewer.RichTextBox1.Text(), "");
  ASSERT_TRUE(t.Exists(kDecemberLog));
  EXPECT_EQ(t.Read(kDecemberLog), "");
  EXPECT_EQ(t.Read(kNovemberLog), "\"old\"\r\n");
  EXPECT_EQ(t.files.OpenCount(), 0);

  // Showing it again keeps the text; Done and Show load the log afresh.
  const std::string log = "\" Customer Ren\xE9\"\r\n\"\"\r\n";
  t.Write(kDecemberLog, log);
  viewer.Show();
  EXPECT_EQ(viewer.RichTextBox1.Text(), "");
  viewer.SSCommand1.Press();
  EXPECT_FALSE(viewer.Visible);
  EXPECT_FALSE(viewer.Loaded());
  viewer.Show();
  EXPECT_EQ(viewer.RichTextBox1.Text(), log);
  EXPECT_TRUE(t.boxes.shown.empty());
}

TEST_F(LogViewerTest, EmptyTruncatesTheTraceLogOnly) {
  t.Write(kDecemberLog, "\"entry\"\r\n");
  t.Write(kTraceLogPath, "trace line 1\r\ntrace line 2\r\n");
  viewer.Show();
  ASSERT_EQ(viewer.RichTextBox1.Text(), "\"entry\"\r\n");

  viewer.SSCommand2.Press();

  EXPECT_EQ(viewer.RichTextBox1.Text(), "");
  EXPECT_EQ(t.Read(kTraceLogPath), "");
  EXPECT_EQ(t.Read(kDecemberLog), "\"entry\"\r\n");

  // A missing trace log is created empty.
  t.files.Kill(kTraceLogPath);
  viewer.SSCommand2.Press();
  EXPECT_TRUE(t.Exists(kTraceLogPath));
  EXPECT_TRUE(t.boxes.shown.empty());
}

TEST_F(LogViewerTest, AnUnreachableLogIsToldAndTheWindowStaysUsable) {
  t.station.DataRoot = "G:\\MISSING\\";
  viewer.Show();
  ASSERT_EQ(t.boxes.shown.size(), 1u);
  EXPECT_NE(t.boxes.shown[0].text.find("G:\\MISSING\\PhoneOrders\\1226DElayedSend.LOG"),
            std::string::npos);
  EXPECT_EQ(t.boxes.shown[0].title, "Delayed Send Log Viewer");
  EXPECT_TRUE(viewer.Visible);
  EXPECT_EQ(viewer.RichTextBox1.Text(), "");
  EXPECT_EQ(t.files.OpenCount(), 0);
}

TEST_F(LogViewerTest, MailsTheTraceLogToSupport) {
  SmtpSink sink;
  MailTo(sink.Url());
  const std::string trace = "12/01/2026 08:00 tender opened\r\n\x01\xFF end\r\n";
  t.Write(kTraceLogPath, trace);
  viewer.Show();

  viewer.SSCommand3.Press();

  ASSERT_TRUE(sink.WaitForMessage());
  EXPECT_FALSE(viewer.SSCommand3.Enabled());
  EXPECT_EQ(viewer.MousePointer, kDefaultPointer);
  EXPECT_EQ(sink.mail_from, "<kitchen@example.com>");
  ASSERT_EQ(sink.recipients.size(), 1u);
  EXPECT_EQ(sink.recipients[0], "<support@example.com>");
  EXPECT_NE(sink.data.find("\r\nTo: support@example.com\r\n"), std::string::npos);
  EXPECT_NE(sink.data.find("\r\nSubject: Trace Log File\r\n"), std::string::npos);
  EXPECT_NE(sink.data.find("\r\n\r\nAttached please find the Tender Trace Log File\r\n--"),
            std::string::npos);
  EXPECT_EQ(Attachment(sink.data, "TraceLog.txt"), trace);
  EXPECT_TRUE(t.boxes.shown.empty());
}

TEST_F(LogViewerTest, AFailedMailIsPassedOverAndTheButtonStaysDisabled) {
  viewer.Show();
  viewer.SSCommand3.Press();  // no mail settings at all
  EXPECT_FALSE(viewer.SSCommand3.Enabled());
  // Why is said on standard error.
  ASSERT_EQ(t.status.lines.size(), 1u);
  EXPECT_NE(t.status.lines[0].find("TraceLog.txt was not mailed to technical support: No mail "
                                   "settings: C:\\Korvain\\mail.conf does not exist"),
            std::string::npos)
      << t.status.lines[0];

  MailTo("smtp://127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort()));
  t.Write(kTraceLogPath, "trace\r\n");
  viewer.SSCommand3.Press();  // disabled: nothing happens
  viewer.SSCommand3.SetEnabled(true);
  viewer.SSCommand3.Press();  // no server answers
  ASSERT_EQ(t.status.lines.size(), 2u);
  EXPECT_NE(t.status.lines[1].find("not mailed to technical support: Mail not sent through smtp"),
            std::string::npos)
      << t.status.lines[1];

  EXPECT_FALSE(viewer.SSCommand3.Enabled());
  EXPECT_EQ(viewer.MousePointer, kDefaultPointer);
  EXPECT_TRUE(t.boxes.shown.empty());
  viewer.SSCommand2.Press();  // the window still works
  EXPECT_EQ(t.Read(kTraceLogPath), "");
  viewer.SSCommand1.Press();
  viewer.Show();
  EXPECT_TRUE(viewer.SSCommand3.Enabled());
}

}  // namespace
}  // namespace korv
