#include "editor/analyser/column_pass.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "editor/analyser/activity_history.h"

namespace varnock {

namespace {

// One bin of the feed as read this frame.
struct BinSample {
  double inputMag, outputMag, thresholdMag, activity, gainDb;
};

BinSample readBin(const SpectralEngine& feed, int k) {
  return {feedLoad(feed.inputMag[k]), feedLoad(feed.outputMag[k]), feedLoad(feed.thresholdMag[k]),
          feedLoad(feed.activity[k]), feedLoad(feed.gainDb[k])};
}

void addToPick(ColumnPick& pick, const BinSample& bin) {
  pick.inputMax = std::max(pick.inputMax, bin.inputMag);
  pick.outputMax = std::max(pick.outputMax, bin.outputMag);
  pick.thresholdMax = std::max(pick.thresholdMax, bin.thresholdMag);
  pick.activityMax = std::max(pick.activityMax, bin.activity);
  if (std::fabs(bin.gainDb) > std::fabs(pick.gainDb)) pick.gainDb = bin.gainDb;
}

} // namespace

void ColumnState::reset() {
  std::fill(std::begin(inputLevelDb), std::end(inputLevelDb), kSilentLevelDb);
  std::fill(std::begin(outputLevelDb), std::end(outputLevelDb), kSilentLevelDb);
  std::fill(std::begin(activityLevel), std::end(activityLevel), 0.0);
  std::fill(std::begin(inputY), std::end(inputY), 0.0);
  std::fill(std::begin(outputY), std::end(outputY), 0.0);
  std::fill(std::begin(thresholdY), std::end(thresholdY), 0.0);
  std::fill(std::begin(gainY), std::end(gainY), 0.0);
}

FeedFrame readFeedFrame(const SpectralEngine& engine) {
  FeedFrame frame;
  frame.fftSize = feedLoad(engine.fftSize);
  frame.lastBin = std::clamp(feedLoad(engine.lastBin), 0, SpectralEngine::kBinSlots - 1);
  frame.sampleRate = feedLoad(engine.sampleRate);
  return frame;
}

double nextLevelDb(double oldDb, double newDb) {
  return newDb > oldDb ? newDb : std::max(oldDb - ColumnState::kLevelFallDbPerFrame, newDb);
}

double nextActivity(double oldAmount, double newAmount) {
  return newAmount > oldAmount ? newAmount : oldAmount * ColumnState::kActivityDecayPerFrame;
}

int runColumnPass(const AnalyserGeometry& g, const FeedFrame& frame, const SpectralEngine& feed,
                  ColumnState& columns, ActivityHistory& history) {
  const int count = std::min(g.columnCount, ColumnState::kMaxColumns);
  int binsRead = 0;
  int cachedBin = -1;
  BinSample cached{};
  // The upper edge of one column is the lower edge of the next: f(x + 1) of
  // column c is f(x) of column c + 1, so each edge's bin is computed once.
  int lowerEdgeBin = frequencyToBin(xToFrequency(g, g.left), frame.fftSize, frame.sampleRate, frame.lastBin);
  for (int c = 0; c < count; ++c) {
    const double x = g.left + c;
    const int upperEdgeBin =
        frequencyToBin(xToFrequency(g, x + 1.0), frame.fftSize, frame.sampleRate, frame.lastBin);
    const int lo = lowerEdgeBin;
    const int hi = std::max(lo, upperEdgeBin);
    lowerEdgeBin = upperEdgeBin;

    ColumnPick pick;
    for (int k = lo; k <= hi; ++k) {
      if (k != cachedBin) {
        cached = readBin(feed, k);
        cachedBin = k;
        ++binsRead;
      }
      addToPick(pick, cached);
    }

    columns.inputLevelDb[c] = nextLevelDb(columns.inputLevelDb[c], magnitudeToLevelDb(pick.inputMax, frame.fftSize));
    columns.outputLevelDb[c] = nextLevelDb(columns.outputLevelDb[c], magnitudeToLevelDb(pick.outputMax, frame.fftSize));
    columns.activityLevel[c] = nextActivity(columns.activityLevel[c], pick.activityMax);
    columns.inputY[c] = levelToY(g, columns.inputLevelDb[c]);
    columns.outputY[c] = levelToY(g, columns.outputLevelDb[c]);
    columns.thresholdY[c] = levelToY(g, magnitudeToLevelDb(pick.thresholdMax, frame.fftSize));
    columns.gainY[c] = gainToY(g, pick.gainDb);
    history.accumulate(c, count, std::fabs(pick.gainDb));
  }
  return binsRead;
}

} // namespace varnock
