#pragma once
// A plain, unoptimised reference model of the engine's arithmetic for tests:
// the textbook radix-2 FFT on interleaved complex values with the twiddle
// recurrence run inside every block, and a whole stream engine (rings,
// frames, detection, Smooth, ballistics, mix) written bin by bin with scalar
// library calls, transforming each channel on its own. Tests compare the
// engine against it.
#include <vector>

namespace varnock::testing {

// In-place FFT of n interleaved complex values (re, im); inverse = +i exponent.
// Neither direction scales.
void referenceFft(double* data, int n, bool inverse);

// Stream engine model. Parameters are plain values in ParamIndex order.
class EngineModel {
public:
  EngineModel(const double* params, double sampleRate);
  // Replaces the parameters as a new snapshot followed by a coefficient pass.
  void setParams(const double* params);
  // Processes one stereo sample pair; returns the output pair in yL, yR.
  void process(double xL, double xR, double& yL, double& yR);

  int fftSize() const { return fftSize_; }
  const std::vector<double>& gainDb() const { return gainDb_; }
  double peakGainDb() const { return peakGainDb_; }

private:
  void coefficients();
  void frame();

  double params_[18];
  double sampleRate_;
  int fftSize_ = 0, hopSize_ = 1, lastBin_ = 0, pos_ = 0, hopCounter_ = 0, lastMode_ = -1;
  bool havePrev_ = false;
  double peakGainDb_ = 0.0;
  // Coefficients.
  int mode_ = 0, radius_ = 0;
  double depth_ = 0, threshold_ = 0, knee_ = 0, rise_ = 0, fall_ = 0, tameCoef_ = 0, attack_ = 0, release_ = 0;
  double mix_ = 1, trim_ = 1, widthLo_ = 1, widthHi_ = 1, lowHz_ = 0, highHz_ = 0, olaScale_ = 1;
  bool delta_ = false;
  std::vector<double> ringL_, ringR_, accL_, accR_, window_, specL_, specR_;
  std::vector<double> reference_, gainDb_, weight_, tilt_;
};

} // namespace varnock::testing
