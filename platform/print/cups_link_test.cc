#include "platform/print/cups_link.h"

#include <gtest/gtest.h>

#include <atomic>

#include "common/runtime_error.h"
#include "platform/print/escpos_renderer.h"
#include "testing/private_cups_server.h"
#include "testing/smtp_sink.h"
#include "testing/tcp_test_printer.h"
#include "testing/temp_dir.h"

namespace korv {
namespace {

using namespace std::chrono_literals;
using testing::PrivateCupsServer;
using testing::TcpTestPrinter;
using testing::TempDir;

// A CUPS server of the test's own with the raw queue KitchenRaw, which prints
// to a network ticket printer.
class CupsQueueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::string missing = PrivateCupsServer::Missing(); !missing.empty())
      GTEST_SKIP() << missing;
    if (std::string why = cups.Start(); !why.empty())
      GTEST_SKIP() << "no CUPS server here: " << why;
    ASSERT_TRUE(cups.AddRawQueue("KitchenRaw", printer.Uri())) << cups.Log();
  }

  TempDir tmp;
  PrivateCupsServer cups{tmp.path() / "cups"};
  TcpTestPrinter printer;
};

TEST_F(CupsQueueTest, TicketThroughARawQueueArrivesWhole) {
  std::vector<std::string> queues = ListCupsQueues(cups.Server());
  EXPECT_EQ(queues, std::vector<std::string>{"KitchenRaw"});

  Document doc{"KitchenRaw", {}};
  doc.lines.push_back(PrintedLine{{"2 Cr\xE8me br\xFBl\xE9"}, "Arial", 40, true, false, kBlack});
  doc.lines.push_back(PrintedLine{{"P"}, "control", 10, false, false, kBlack});
  std::string bytes = RenderEscPos(doc, {});
  std::atomic<bool> stop{false};
  LinkAttempt attempt;
  CupsLink(queues.at(0), cups.Server()).Send(bytes, stop, attempt);
  ASSERT_TRUE(printer.WaitForJobs(1, 20s)) << cups.Log();
  EXPECT_EQ(printer.Jobs()[0], bytes) << "raw: not a byte changed by the server";

  try {
    CupsLink("NoSuchQueue", cups.Server()).Send(bytes, stop, attempt);
    ADD_FAILURE() << "a missing queue must fail";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.number(), kErrPrinter);
    EXPECT_NE(e.description().find("NoSuchQueue"), std::string::npos) << e.description();
  }
}

TEST_F(CupsQueueTest, CheckPassesOnlyARawQueueThatRuns) {
  ASSERT_TRUE(cups.AddQueueWithDriver("Office", printer.Uri(), "Office Laser 9")) << cups.Log();
  auto check = [&](const std::string& queue) { return CupsLink(queue, cups.Server()).Check(5s); };

  EXPECT_EQ(check("KitchenRaw"), "");
  EXPECT_EQ(check("kitchenraw"), "") << "CUPS queue names ignore case";
  EXPECT_EQ(check("Office"),
            "CUPS queue Office is not a raw queue (its driver is \"Office Laser 9\")");
  EXPECT_EQ(check("Nothing"), "CUPS queue Nothing does not exist");
  ASSERT_TRUE(cups.Stop("KitchenRaw")) << cups.Log();
  EXPECT_EQ(check("KitchenRaw"), "CUPS queue KitchenRaw is stopped (cupsenable starts it)");
  EXPECT_TRUE(printer.Jobs().empty()) << "a check prints nothing";
}

TEST(CupsLinkTest, NoServerMeansNoQueuesQuickly) {
  std::string nobody = "127.0.0.1:" + std::to_string(testing::UnusedLoopbackPort());
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(ListCupsQueues(nobody, 500ms).empty());
  std::atomic<bool> stop{false};
  LinkAttempt attempt;
  EXPECT_THROW(CupsLink("Kitchen", nobody, {500ms, 500ms}).Send("x", stop, attempt), RuntimeError);
  EXPECT_EQ(CupsLink("Kitchen", nobody).Check(500ms), "no CUPS server answers at " + nobody);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

}  // namespace
}  // namespace korv
