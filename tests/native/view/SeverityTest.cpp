#include "ViewFixture.h"

namespace {

class SeverityTest : public ViewTest {
 protected:
  SeverityTest() {
    // Class n (A = 0) gets text colour 0x10 + n and background 0x20 + n.
    OleColor* text[] = {&m_ctrl.m_clrTextColorA, &m_ctrl.m_clrTextColorB, &m_ctrl.m_clrTextColorC,
                        &m_ctrl.m_clrTextColorD, &m_ctrl.m_clrTextColorE, &m_ctrl.m_clrTextColorF};
    OleColor* back[] = {&m_ctrl.m_clrBackColorA, &m_ctrl.m_clrBackColorB, &m_ctrl.m_clrBackColorC,
                        &m_ctrl.m_clrBackColorD, &m_ctrl.m_clrBackColorE, &m_ctrl.m_clrBackColorF};
    for (int n = 0; n < 6; ++n) *text[n] = 0x10 + n, *back[n] = 0x20 + n;
  }
  char ClassOf(int32_t severity) {
    ColorRef text = 0, back = 0;
    m_ctrl.View().GetSeverityColors(severity, text, back, m_dc);
    EXPECT_EQ(back - 0x20, text - 0x10) << "text and background of different classes";
    return static_cast<char>('A' + (text - 0x10));
  }
};

TEST_F(SeverityTest, DefaultThresholds) {
  const std::pair<int32_t, char> table[] = {{1, 'A'},   {2, 'B'},   {200, 'B'},  {201, 'C'},
                                            {400, 'C'}, {401, 'D'}, {600, 'D'},  {601, 'E'},
                                            {799, 'E'}, {800, 'F'}, {1000, 'F'}, {0, 'A'},
                                            {-7, 'A'},  {INT32_MIN, 'A'}, {INT32_MAX, 'F'}};
  for (auto [severity, cls] : table) EXPECT_EQ(ClassOf(severity), cls) << severity;
}

TEST_F(SeverityTest, ThresholdsOutOfOrderAreTestedAToE) {
  m_ctrl.m_nSeverityD = 600;
  m_ctrl.m_nSeverityE = 500;
  EXPECT_EQ(ClassOf(550), 'D');
  EXPECT_EQ(ClassOf(650), 'F');  // above D and not below E: never E
  m_ctrl.m_nSeverityA = 300;
  m_ctrl.m_nSeverityB = 100;
  EXPECT_EQ(ClassOf(250), 'A');
  EXPECT_EQ(ClassOf(301), 'C');
  m_ctrl.m_nSeverityA = -10;  // negative thresholds compare signed
  EXPECT_EQ(ClassOf(-11), 'A');
  EXPECT_EQ(ClassOf(-9), 'B');
}

TEST_F(SeverityTest, RowsAreColouredByTheirSeverityText) {
  // Marker text, white space and signs, trailing junk, out-of-range numbers.
  const std::pair<const char16_t*, ColorRef> rows[] = {
      {u"*", 0x20},      {u"  250", 0x22}, {u"+700", 0x24}, {u"-3", 0x20},
      {u"900 hi", 0x25}, {u"", 0x20},      {u"99999999999", 0x25}};
  for (auto& r : rows) AddRow(u"s", u"m", r.first);
  Paint(1280, 400);
  std::vector<Op> bands = RowBands();
  ASSERT_EQ(bands.size(), std::size(rows));
  for (size_t i = 0; i < bands.size(); ++i) {
    EXPECT_EQ(bands[i].color, rows[i].second) << i;
    EXPECT_EQ(RowTexts()[i * 6].textColor, rows[i].second - 0x10) << i;
  }
}

}  // namespace
