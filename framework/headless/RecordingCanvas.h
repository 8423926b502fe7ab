// A canvas without a screen: records every drawing operation with its
// rectangle, colours, text and the context state it was drawn with, so native
// tests can assert the painted geometry exactly. Metrics are deterministic
// (character width 7, text height 16 unless set). Memory canvases made from
// it write into the same log, one layer deeper, and it can refuse to make one.
#pragma once
#include <map>
#include <memory>
#include <vector>

#include "framework/Canvas.h"

class RecordingCanvas : public Canvas {
 public:
  enum class OpKind { FillRect, FillSolidRect, Draw3dRect, DrawText, InvertRect, SelectBitmap, CopyFrom };

  struct Op {
    OpKind kind = OpKind::FillRect;
    int layer = 0;          // 0: the target context, 1: a memory context made from it
    Rect rect;
    ColorRef color = 0;     // fill colour; Draw3dRect: top and left
    ColorRef color2 = 0;    // Draw3dRect: right and bottom
    // DrawText: the text as passed, what a screen would show (mnemonic "&"
    // removed, cut with an ellipsis to the width), and where the shown text
    // lies once clipped to the rectangle.
    String text;
    String shown;
    Rect extent;
    uint32_t format = 0;
    // Context state at the time of the operation.
    ColorRef textColor = 0;
    ColorRef bkColor = 0;
    int bkMode = kBkOpaque;
    bool controlFont = false;
  };

  struct Config {
    int32_t charWidth = 7;
    int32_t textHeight = 16;
    // The context's own font before the control font is selected.
    int32_t defaultCharWidth = 8;
    int32_t defaultTextHeight = 18;
    bool failMemoryContext = false;
    bool failBitmap = false;
    std::map<int, ColorRef> sysColors;
  };

  RecordingCanvas();

  Config& Settings() { return m_shared->config; }
  const std::vector<Op>& Ops() const { return m_shared->ops; }
  // The operations of one kind, optionally of one layer only.
  std::vector<Op> OpsOf(OpKind kind, int layer = -1) const;
  void Clear() { m_shared->ops.clear(); }
  int MemoryCanvasesAlive() const { return m_shared->alive; }

  // What a DrawText would show: "&&" as "&", a lone "&" dropped, cut to fit
  // `width` with "..." at the end when it does not.
  static String ShownText(const String& text, int64_t width, int32_t charWidth);

  uintptr_t SelectControlFont() override;
  void RestoreFont(uintptr_t previous) override;
  TextMetrics GetTextMetrics() override;
  void FillRect(const Rect& r, ColorRef color) override;
  void FillSolidRect(const Rect& r, ColorRef color) override;
  void Draw3dRect(const Rect& r, ColorRef topLeft, ColorRef bottomRight) override;
  void DrawText(const String& text, const Rect& r, uint32_t format) override;
  void SetTextColor(ColorRef color) override { m_textColor = color; }
  void SetBkMode(int mode) override { m_bkMode = mode; }
  void InvertRect(const Rect& r) override;
  ColorRef GetSysColor(int index) override;
  std::unique_ptr<Canvas> CreateMemoryCanvas() override;
  bool SelectCompatibleBitmap(int32_t width, int32_t height) override;
  void CopyFrom(Canvas& memory, int32_t width, int32_t height) override;

  ~RecordingCanvas() override;

 private:
  struct Shared {
    Config config;
    std::vector<Op> ops;
    int alive = 0;
  };
  RecordingCanvas(std::shared_ptr<Shared> shared, int layer);
  Op& Record(OpKind kind, const Rect& r);

  std::shared_ptr<Shared> m_shared;
  int m_nLayer = 0;
  // The state of a fresh device context.
  bool m_bControlFont = false;
  ColorRef m_textColor = 0x000000;
  ColorRef m_bkColor = 0xFFFFFF;
  int m_bkMode = kBkOpaque;
};
