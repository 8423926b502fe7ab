// The intake's costs: one 20000-record batch drained into the list in top and
// in bottom mode (the two should cost about the same), and the callback's
// cost per record on the library's thread.
#include <benchmark/benchmark.h>

#include <vector>

#include "control/VelmaricAECtrl.h"
#include "framework/headless/HeadlessWindow.h"
#include "intake/OpcAESession.h"
#include "tests/native/intake/SessionPeer.h"
#include "tests/native/view/ViewPeer.h"

namespace {

class CountingHost : public ControlHost {
 public:
  void FireEvent(DispId, const std::vector<Value>&) override { ++m_nEvents; }
  void OnPropertyChanged(DispId) override {}
  void InvalidateControl() override {}
  std::optional<Value> GetAmbient(DispId) override { return std::nullopt; }
  long m_nEvents = 0;
};

constexpr uint64_t kTime = (1709622489ULL + 11644473600ULL) * 10000000ULL;

std::vector<AEEventRecord> Records(int n) {
  static const char16_t kSource[] = u"Plant.Area1.Boiler.Temperature";
  static const char16_t kMessage[] = u"High temperature alarm on boiler feed line";
  std::vector<AEEventRecord> r(n);
  for (int i = 0; i < n; ++i)
    r[i] = {kTime + static_cast<uint64_t>(i) * 10000, kSource, kMessage, static_cast<uint32_t>(i % 8), 500};
  return r;
}

struct Control {
  Control() {
    ctrl.SetHost(&host);
    window.m_bIsWindow = true;
    ctrl.AttachWindow(&window);
    Inside(ctrl.View()).m_rcBounds = {0, 0, 800, 600};
    Inside(ctrl.View()).m_nRowHeight = 16;
    OpcAESession& s = *ctrl.GetIntake().Session();
    Inside(s).m_arrCategoryId = {0, 1, 2, 3, 4, 5, 6, 7};
    Inside(s).m_arrCategoryName = {u"c0", u"c1", u"c2", u"c3", u"c4", u"c5", u"c6", u"c7"};
  }
  CountingHost host;
  HeadlessWindow window;
  CVelmaricAECtrl ctrl;
};

void DrainBatch(benchmark::State& state, bool bottom) {
  Control c;
  c.ctrl.m_bAddNewEventsToBottom = bottom;
  c.ctrl.m_bLocalizeTimestamps = 1;
  const std::vector<AEEventRecord> batch = Records(20000);
  for (auto _ : state) {
    state.PauseTiming();
    c.ctrl.Store().RemoveAll();
    Inside(c.ctrl.View()).m_nFirstRow = 0;
    c.window.SetScrollRange(kSbVert, 0, 0, false);
    AEEventCallback(c.ctrl.GetIntake().Session()->ClientHandle(), 0, 0, 20000, batch.data());
    state.ResumeTiming();
    c.ctrl.GetIntake().Drain();
  }
  state.SetItemsProcessed(state.iterations() * 20000);
}

void BM_DrainTopMode(benchmark::State& state) { DrainBatch(state, false); }
void BM_DrainBottomMode(benchmark::State& state) { DrainBatch(state, true); }

void BM_CallbackPerRecord(benchmark::State& state) {
  Control c;
  const std::vector<AEEventRecord> batch = Records(1000);
  OpcAESession& s = *c.ctrl.GetIntake().Session();
  for (auto _ : state) {
    AEEventCallback(s.ClientHandle(), 0, 0, 1000, batch.data());
    state.PauseTiming();
    Inside(s).m_arrQueue.clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}

BENCHMARK(BM_DrainTopMode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrainBottomMode)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CallbackPerRecord)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
