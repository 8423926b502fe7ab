// The General page on real controls: opening values, the watchdog bounds and
// the standard prompts, nothing written after a refusal, several objects.
#include "tests/wine/pages/PageHarness.h"

namespace {

constexpr int kWatchdog = 211, kAddToBottom = 208, kLocalize = 210, kSuppressAckn = 213, kSuppressReset = 214;

using GeneralPage = PageFixture;

TEST_F(GeneralPage, OpensWith15AndFourClearBoxes) {
  Open(kClsidGeneralPage);
  EXPECT_EQ(Text(kWatchdog), L"15");
  for (int id : {kAddToBottom, kLocalize, kSuppressAckn, kSuppressReset}) EXPECT_FALSE(Checked(id)) << id;
  EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
  EXPECT_TRUE(m_site->m_changes.empty());
}

TEST_F(GeneralPage, BoundsAreAcceptedValuesOutsideRefusedAndNothingWritten) {
  IDispatch* c = NewControl();
  Open(kClsidGeneralPage);
  for (const wchar_t* ok : {L"0", L"300"}) {
    SetText(kWatchdog, ok);
    std::vector<Box> boxes;
    EXPECT_EQ(Apply(&boxes), S_OK) << ok;
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(Short(c, L"WatchdogTimeout"), _wtoi(ok));
  }

  struct {
    const wchar_t* text;
    const wchar_t* prompt;
  } refused[] = {{L"-1", L"Please enter an integer between 0 and 300."},
                 {L"301", L"Please enter an integer between 0 and 300."},
                 {L"70000", L"Please enter an integer between 0 and 300."},  // would wrap to 4464
                 {L"abc", L"Please enter an integer."}};
  for (const auto& r : refused) {
    IPersistStreamInit* persist = nullptr;
    ASSERT_EQ(c->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist)), S_OK);
    IStream* stream = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    persist->Save(stream, TRUE);  // clears the control's modified state
    stream->Release();
    persist->Release();
    ASSERT_FALSE(Dirty(c));

    Click(kSuppressAckn);  // waits for Apply with the rest of the page
    SetText(kWatchdog, r.text);
    ExpectRefused(r.prompt, kWatchdog);
    EXPECT_FALSE(Dirty(c)) << "a refused Apply wrote a property";
    EXPECT_EQ(Short(c, L"WatchdogTimeout"), 300);
    EXPECT_FALSE(Bool(c, L"SuppressAcknEvents"));
    EXPECT_EQ(m_page->IsPageDirty(), S_OK);
    Click(kSuppressAckn);
  }
}

TEST_F(GeneralPage, AValueSetAboveRangeThroughAutomationShowsAndIsRefusedUntilCorrected) {
  IDispatch* c = NewControl();
  PutShort(c, L"WatchdogTimeout", 1000);
  Open(kClsidGeneralPage);
  EXPECT_EQ(Text(kWatchdog), L"1000");
  ExpectRefused(L"Please enter an integer between 0 and 300.", kWatchdog);
  EXPECT_EQ(Short(c, L"WatchdogTimeout"), 1000);
  SetText(kWatchdog, L"120");
  EXPECT_EQ(Apply(), S_OK);
  EXPECT_EQ(Short(c, L"WatchdogTimeout"), 120);
}

TEST_F(GeneralPage, ApplyWritesTheFieldsToEveryObject) {
  IDispatch* a = NewControl();
  IDispatch* b = NewControl();
  PutShort(b, L"WatchdogTimeout", 77);
  PutBool(b, L"LocalizeTimestamps", true);
  Open(kClsidGeneralPage);
  EXPECT_EQ(Text(kWatchdog), L"15");  // the first object's values
  Click(kAddToBottom);
  Click(kSuppressReset);
  SetText(kWatchdog, L"45");
  ASSERT_EQ(Apply(), S_OK);
  for (IDispatch* c : {a, b}) {
    EXPECT_EQ(Short(c, L"WatchdogTimeout"), 45);
    EXPECT_TRUE(Bool(c, L"AddNewEventsToBottom"));
    EXPECT_FALSE(Bool(c, L"LocalizeTimestamps"));
    EXPECT_FALSE(Bool(c, L"SuppressAcknEvents"));
    EXPECT_TRUE(Bool(c, L"SuppressResetEvents"));
  }
}

TEST_F(GeneralPage, EditsMakeThePageDirtyAndTellTheSite) {
  Open(kClsidGeneralPage);
  SetText(kWatchdog, L"16");
  EXPECT_EQ(m_page->IsPageDirty(), S_OK);
  ASSERT_FALSE(m_site->m_changes.empty());
  EXPECT_EQ(m_site->m_changes[0] & PROPPAGESTATUS_DIRTY, static_cast<DWORD>(PROPPAGESTATUS_DIRTY));
  ASSERT_EQ(Apply(), S_OK);
  EXPECT_EQ(m_page->IsPageDirty(), S_FALSE);
  const size_t before = m_site->m_changes.size();
  Click(kLocalize);
  EXPECT_EQ(m_page->IsPageDirty(), S_OK);
  EXPECT_GT(m_site->m_changes.size(), before);
}

}  // namespace
