// The DDEML wrappers and the link, in this process, against the recording
// stand-in for Program Manager where a server is needed.
#include <gtest/gtest.h>

#include <string.h>

#include "progman/dde.h"
#include "progman/progman_link.h"
#include "tests/fixtures/progman_standin.h"

namespace {

using progman_test::MillisecondsSince;
using progman_test::ProgmanStandIn;

using progman_test::InstanceIsAlive;

TEST(DdeInstance, LivesAsLongAsTheObject) {
  DWORD dwInstance = 0;
  {
    CDdeInstance instance;
    dwInstance = instance.GetId();
    ASSERT_NE(0u, dwInstance);
    EXPECT_TRUE(InstanceIsAlive(dwInstance));
  }
  EXPECT_FALSE(InstanceIsAlive(dwInstance)) << "instance " << dwInstance << " not ended";
}

TEST(DdeStringHandle, FreedWithTheObject) {
  CDdeInstance instance;
  HSZ hsz = NULL;
  {
    CDdeStringHandle handle(instance, "PROGMAN");
    hsz = handle.GetHandle();
    ASSERT_NE(nullptr, hsz);
    char szText[32] = "";
    DdeQueryStringA(instance.GetId(), hsz, szText, sizeof szText, CP_WINANSI);
    EXPECT_STREQ("PROGMAN", szText);
  }
  // Taking another reference works only on a handle that still exists.
  EXPECT_FALSE(DdeKeepStringHandle(instance.GetId(), hsz)) << "string handle left behind";
}

TEST(DdeDataHandle, CarriesTheTextWithItsNul) {
  CDdeInstance instance;
  CDdeDataHandle data(instance, "[CreateGroup(ORLO)]");
  ASSERT_NE(nullptr, data.GetHandle());
  DWORD cb = DdeGetData(data.GetHandle(), NULL, 0, 0);
  EXPECT_EQ(20u, cb);
  char bytes[32];
  memset(bytes, 'x', sizeof bytes);
  EXPECT_EQ(20u, DdeGetData(data.GetHandle(), reinterpret_cast<LPBYTE>(bytes), sizeof bytes, 0));
  EXPECT_EQ(0, memcmp(bytes, "[CreateGroup(ORLO)]", 20)) << std::string(bytes, 20);
  // Never handed to a transaction here, so this test frees it.
  DdeFreeDataHandle(data.GetHandle());
}

TEST(DdeConversation, DisconnectWithoutConnectionDoesNothing) {
  CDdeInstance instance;
  CDdeConversation conversation(instance);
  EXPECT_EQ(nullptr, conversation.GetHandle());
  conversation.Disconnect();
  conversation.Disconnect();
  EXPECT_EQ(nullptr, conversation.GetHandle());
}

TEST(DdeConversation, ServiceNobodyOffersIsNoConnection) {
  CDdeInstance instance;
  CDdeConversation conversation(instance);
  DWORD start = GetTickCount();
  EXPECT_FALSE(conversation.Connect("ORLO-NOBODY", "ORLO-NOBODY", &kProgmanConvContext));
  EXPECT_EQ(nullptr, conversation.GetHandle());
  // Nothing to wait for: the connect is over once every window has been asked.
  EXPECT_LT(MillisecondsSince(start), e2e::ScaledMs(5000));
  CDdeDataHandle data(instance, "[ShowGroup(ORLO,1)]");
  DWORD dwStatus = 0;
  EXPECT_EQ(nullptr, conversation.Execute(data, &dwStatus)) << "execute without a conversation";
}

class LinkWithStandIn : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(standIn.Start()); }
  ProgmanStandIn standIn;
};

TEST_F(LinkWithStandIn, ConnectsToProgmanWithTheFixedContext) {
  CProgmanLink link;
  ASSERT_TRUE(link.Connect()) << standIn.Dump();
  EXPECT_EQ(1, standIn.Count("CONNECT service=PROGMAN topic=PROGMAN")) << standIn.Dump();

  // The conversation's context as DDEML holds it: 36 bytes, all zero after
  // the size, the anonymous quality of service included.
  CONVINFO info = {};
  info.cb = sizeof info;
  ASSERT_NE(0u, DdeQueryConvInfo(link.GetConversation().GetHandle(), QID_SYNC, &info));
  EXPECT_EQ(36u, info.ConvCtxt.cb);
  const unsigned char* pb = reinterpret_cast<const unsigned char*>(&info.ConvCtxt);
  for (size_t i = sizeof(info.ConvCtxt.cb); i < sizeof info.ConvCtxt; i++)
    EXPECT_EQ(0, pb[i]) << "byte " << i;
  link.Disconnect();
}

TEST_F(LinkWithStandIn, DisconnectTwiceEndsTheConversationOnce) {
  CProgmanLink link;
  ASSERT_TRUE(link.Connect());
  link.Disconnect();
  EXPECT_EQ(nullptr, link.GetConversation().GetHandle());
  link.Disconnect();
  EXPECT_EQ(nullptr, link.GetConversation().GetHandle());
  ASSERT_TRUE(standIn.WaitForCount("DISCONNECT", 1)) << standIn.Dump();
  ASSERT_TRUE(standIn.SendLaterCommand()) << standIn.Dump();
  EXPECT_EQ(1, standIn.Count("DISCONNECT")) << standIn.Dump();
}

TEST_F(LinkWithStandIn, ExecuteSendsOneCommandWithItsNul) {
  CDdeInstance instance;
  CDdeConversation conversation(instance);
  ASSERT_TRUE(conversation.Connect("PROGMAN", "PROGMAN", &kProgmanConvContext));
  CDdeDataHandle data(instance, "[CreateGroup(ORLO)]");
  DWORD dwStatus = 0;
  HDDEDATA hResult = conversation.Execute(data, &dwStatus);
  EXPECT_NE(nullptr, hResult) << "status 0x" << std::hex << dwStatus;
  conversation.Disconnect();
  ASSERT_TRUE(standIn.WaitForCount("ANSWER", 1)) << standIn.Dump();
  EXPECT_EQ(1, standIn.Count("EXECUTE 1 bytes=20 [CreateGroup(ORLO)]")) << standIn.Dump();
}

TEST_F(LinkWithStandIn, OnlyTheInstanceEndsAConversationLeftOpen) {
  DWORD dwInstance = 0;
  {
    CDdeInstance instance;
    dwInstance = instance.GetId();
    {
      CDdeConversation conversation(instance);
      ASSERT_TRUE(conversation.Connect("PROGMAN", "PROGMAN", &kProgmanConvContext));
    }
    ASSERT_TRUE(standIn.SendLaterCommand()) << standIn.Dump();
    EXPECT_EQ(0, standIn.Count("DISCONNECT")) << "the conversation's destructor ended it:\n"
                                              << standIn.Dump();
  }
  EXPECT_TRUE(standIn.WaitForCount("DISCONNECT", 1))
      << "instance " << dwInstance << " ended without ending its conversation:\n"
      << standIn.Dump();
}

BOOL CALLBACK CountVisibleWindowsOfThisProcess(HWND hwnd, LPARAM lParam) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd))
    ++*reinterpret_cast<int*>(lParam);
  return TRUE;
}

int VisibleWindowsOfThisProcess() {
  int n = 0;
  EnumWindows(CountVisibleWindowsOfThisProcess, reinterpret_cast<LPARAM>(&n));
  return n;
}

// DDEML cannot be made to refuse an instance here, so the instance is ended
// behind the link's back: from then on DDEML knows its identifier no more,
// exactly as for an identifier of 0.
TEST_F(LinkWithStandIn, MissingInstanceFailsQuietly) {
  int nWindowsBefore = VisibleWindowsOfThisProcess();
  CProgmanLink link;
  ASSERT_TRUE(DdeUninitialize(link.GetInstance().GetId()));
  EXPECT_FALSE(link.Connect());
  EXPECT_EQ(nullptr, link.GetConversation().GetHandle());
  EXPECT_FALSE(link.CreateGroup("ORLO"));
  EXPECT_FALSE(link.AddItem("ORLO", "ORLO", "C:\\ORLO\\ORLO.EXE", "C:\\ORLO"));
  link.Disconnect();
  EXPECT_EQ(nWindowsBefore, VisibleWindowsOfThisProcess()) << "something was shown";
  ASSERT_TRUE(standIn.SendLaterCommand()) << standIn.Dump();
  EXPECT_EQ(1, standIn.Count("CONNECT")) << "only the later command's:\n" << standIn.Dump();
  EXPECT_EQ(std::vector<std::string>{"[Later]"}, standIn.Executes()) << standIn.Dump();
}

TEST(ProgmanLinkObject, InstanceReadyBeforeAnyTestRuns) {
  // Constructed during static initialisation, before main.
  EXPECT_NE(0u, theProgmanLink.GetInstance().GetId());
  EXPECT_TRUE(InstanceIsAlive(theProgmanLink.GetInstance().GetId()));
  EXPECT_EQ(nullptr, theProgmanLink.GetConversation().GetHandle());
}

}  // namespace
