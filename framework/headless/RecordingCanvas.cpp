#include "framework/headless/RecordingCanvas.h"

#include <algorithm>

namespace {
// Token values for the font selected into a recording context.
constexpr uintptr_t kDefaultFont = 1;
constexpr uintptr_t kControlFont = 2;
}  // namespace

RecordingCanvas::RecordingCanvas() : m_shared(std::make_shared<Shared>()) {
  // The Windows 7 standard scheme.
  m_shared->config.sysColors = {{kColorWindow, 0xFFFFFF},     {kColorWindowFrame, 0x646464},
                                {kColorBtnFace, 0xF0F0F0},    {kColorBtnShadow, 0xA0A0A0},
                                {kColorBtnText, 0x000000},    {kColorBtnHighlight, 0xFFFFFF}};
}

RecordingCanvas::RecordingCanvas(std::shared_ptr<Shared> shared, int layer)
    : m_shared(std::move(shared)), m_nLayer(layer) {
  ++m_shared->alive;
}

RecordingCanvas::~RecordingCanvas() {
  if (m_nLayer > 0) --m_shared->alive;
}

std::vector<RecordingCanvas::Op> RecordingCanvas::OpsOf(OpKind kind, int layer) const {
  std::vector<Op> out;
  for (const Op& op : m_shared->ops)
    if (op.kind == kind && (layer < 0 || op.layer == layer)) out.push_back(op);
  return out;
}

RecordingCanvas::Op& RecordingCanvas::Record(OpKind kind, const Rect& r) {
  Op op;
  op.kind = kind;
  op.layer = m_nLayer;
  op.rect = r;
  op.textColor = m_textColor;
  op.bkColor = m_bkColor;
  op.bkMode = m_bkMode;
  op.controlFont = m_bControlFont;
  m_shared->ops.push_back(op);
  return m_shared->ops.back();
}

uintptr_t RecordingCanvas::SelectControlFont() {
  uintptr_t previous = m_bControlFont ? kControlFont : kDefaultFont;
  m_bControlFont = true;
  return previous;
}

void RecordingCanvas::RestoreFont(uintptr_t previous) { m_bControlFont = previous == kControlFont; }

TextMetrics RecordingCanvas::GetTextMetrics() {
  const Config& c = m_shared->config;
  if (m_bControlFont) return {c.textHeight, c.charWidth};
  return {c.defaultTextHeight, c.defaultCharWidth};
}

void RecordingCanvas::FillRect(const Rect& r, ColorRef color) { Record(OpKind::FillRect, r).color = color; }

void RecordingCanvas::FillSolidRect(const Rect& r, ColorRef color) {
  m_bkColor = color;
  Record(OpKind::FillSolidRect, r).color = color;
}

void RecordingCanvas::Draw3dRect(const Rect& r, ColorRef topLeft, ColorRef bottomRight) {
  Op& op = Record(OpKind::Draw3dRect, r);
  op.color = topLeft;
  op.color2 = bottomRight;
  m_bkColor = bottomRight;  // its last solid fill is the bottom line
}

String RecordingCanvas::ShownText(const String& text, int64_t width, int32_t charWidth) {
  String plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'&') {
      if (i + 1 < text.size() && text[i + 1] == u'&') {
        plain += u'&';
        ++i;
      }
      continue;  // a mnemonic marker: the next letter would be underlined
    }
    plain += text[i];
  }
  if (charWidth <= 0) return plain;
  int64_t fits = width > 0 ? width / charWidth : 0;
  if (static_cast<int64_t>(plain.size()) <= fits) return plain;
  int64_t keep = std::max<int64_t>(fits - 3, 0);
  return plain.substr(0, static_cast<size_t>(keep)) + u"...";
}

void RecordingCanvas::DrawText(const String& text, const Rect& r, uint32_t format) {
  TextMetrics tm = GetTextMetrics();
  Op& op = Record(OpKind::DrawText, r);
  op.text = text;
  op.format = format;
  // A rectangle can span more than the 32-bit range (clamped list coordinates).
  const int64_t width = static_cast<int64_t>(r.right) - r.left;
  op.shown = (format & kDtEndEllipsis) ? ShownText(text, width, tm.aveCharWidth)
                                        : ShownText(text, INT32_MAX, 0);
  // Clipped to the rectangle: an inverted one shows nothing.
  int64_t textRight = r.left + static_cast<int64_t>(op.shown.size()) * tm.aveCharWidth;
  op.extent = {r.left, r.top, static_cast<int32_t>(std::min<int64_t>(textRight, r.right)),
               static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(r.top) + tm.height, r.bottom))};
  if (op.extent.IsEmpty()) op.extent = {r.left, r.top, r.left, r.top};
}

void RecordingCanvas::InvertRect(const Rect& r) { Record(OpKind::InvertRect, r); }

ColorRef RecordingCanvas::GetSysColor(int index) {
  auto it = m_shared->config.sysColors.find(index);
  return it == m_shared->config.sysColors.end() ? 0 : it->second;
}

std::unique_ptr<Canvas> RecordingCanvas::CreateMemoryCanvas() {
  if (m_shared->config.failMemoryContext) return nullptr;
  return std::unique_ptr<Canvas>(new RecordingCanvas(m_shared, m_nLayer + 1));
}

bool RecordingCanvas::SelectCompatibleBitmap(int32_t width, int32_t height) {
  if (m_shared->config.failBitmap) return false;
  Record(OpKind::SelectBitmap, {0, 0, width, height});
  return true;
}

void RecordingCanvas::CopyFrom(Canvas&, int32_t width, int32_t height) {
  Record(OpKind::CopyFrom, {0, 0, width, height});
}
