#include "tests/support/engine_model.h"

#include <algorithm>
#include <cmath>

namespace varnock::testing {

void referenceFft(double* x, int n, bool inverse) {
  if (n > 1) {
    int r = 0;
    for (int i = 1; i < n; ++i) {
      int m = n / 2;
      while (r & m) {
        r ^= m;
        m /= 2;
      }
      r ^= m;
      if (i < r) {
        std::swap(x[2 * i], x[2 * r]);
        std::swap(x[2 * i + 1], x[2 * r + 1]);
      }
    }
  }
  const double pi = 3.14159265358979323846;
  for (int s = 2; s <= n; s *= 2) {
    const double theta = (inverse ? 2.0 * pi : -2.0 * pi) / s;
    const double c = std::cos(theta), d = std::sin(theta);
    for (int b = 0; b < n; b += s) {
      double wr = 1.0, wi = 0.0;
      for (int k = 0; k < s / 2; ++k) {
        double* a = x + 2 * (b + k);
        double* o = x + 2 * (b + k + s / 2);
        const double tr = wr * o[0] - wi * o[1];
        const double ti = wr * o[1] + wi * o[0];
        o[0] = a[0] - tr;
        o[1] = a[1] - ti;
        a[0] = a[0] + tr;
        a[1] = a[1] + ti;
        const double nr = wr * c - wi * d;
        wi = wr * d + wi * c;
        wr = nr;
      }
    }
  }
}

EngineModel::EngineModel(const double* params, double sampleRate) : sampleRate_(sampleRate) {
  std::copy(params, params + 18, params_);
  coefficients();
}

void EngineModel::setParams(const double* params) {
  std::copy(params, params + 18, params_);
  coefficients();
}

void EngineModel::coefficients() {
  const double* p = params_;
  const int size = p[13] < 0.5 ? 512 : (p[13] < 1.5 ? 1024 : 2048);
  if (size != fftSize_) {
    fftSize_ = size;
    hopSize_ = size / 8;
    lastBin_ = size / 2;
    for (auto* v : {&ringL_, &ringR_, &accL_, &accR_, &window_}) v->assign(size, 0.0);
    specL_.assign(2 * size, 0.0);
    specR_.assign(2 * size, 0.0);
    for (auto* v : {&reference_, &gainDb_, &weight_, &tilt_}) v->assign(lastBin_ + 1, 0.0);
    for (int i = 0; i < size; ++i) window_[i] = 0.5 - 0.5 * std::cos(2.0 * 3.14159265358979323846 * i / size);
    pos_ = hopCounter_ = 0;
    peakGainDb_ = 0.0;
    havePrev_ = false;
    olaScale_ = 1.0 / (3.0 * size);
  }
  mode_ = static_cast<int>(std::floor(p[0] + 0.5));
  if (mode_ != lastMode_) {
    lastMode_ = mode_;
    havePrev_ = false;
  }
  depth_ = p[1];
  threshold_ = p[2];
  knee_ = std::max(0.1, p[3]);
  const double period = hopSize_ / sampleRate_;
  const double tau = p[4] * 0.001;
  rise_ = 1.0 - std::exp(-period / tau);
  fall_ = 1.0 - std::exp(-period / (tau / 3.0));
  tameCoef_ = 1.0 - std::exp(-period / 0.01);
  attack_ = 1.0 - std::exp(-period / (std::max(0.05, p[8]) * 0.001));
  release_ = 1.0 - std::exp(-period / (std::max(1.0, p[9]) * 0.001));
  radius_ = static_cast<int>(std::floor(p[7] + 0.5));
  mix_ = p[10] / 100.0;
  trim_ = std::exp(p[11] * 0.11512925465);
  delta_ = p[12] > 0.5;
  widthLo_ = std::pow(2.0, -p[15] * 0.5);
  widthHi_ = std::pow(2.0, p[15] * 0.5);
  lowHz_ = p[5];
  highHz_ = std::max(p[5] * 1.01, p[6]);
  for (int k = 0; k <= lastBin_; ++k) {
    const double f = std::max(1.0, k * sampleRate_ / fftSize_);
    double e = std::max(std::log2(f / highHz_), std::log2(lowHz_ / f));
    if (e < 0) e = 0;
    weight_[k] = std::max(0.0, 1.0 - 2.0 * e);
    tilt_[k] = p[16] * std::log2(f / 1000.0);
  }
}

void EngineModel::process(double xL, double xR, double& yL, double& yR) {
  const double dL = ringL_[pos_], dR = ringR_[pos_];
  const double wL = accL_[pos_], wR = accR_[pos_];
  accL_[pos_] = accR_[pos_] = 0.0;
  ringL_[pos_] = xL;
  ringR_[pos_] = xR;
  pos_ = (pos_ + 1) % fftSize_;
  if (++hopCounter_ >= hopSize_) {
    hopCounter_ = 0;
    frame();
  }
  if (delta_) {
    yL = wL - dL;
    yR = wR - dR;
  } else {
    yL = (1.0 - mix_) * dL + mix_ * wL;
    yR = (1.0 - mix_) * dR + mix_ * wR;
  }
  yL *= trim_;
  yR *= trim_;
}

namespace {
double knee(double x) {
  x = std::min(1.0, std::max(0.0, x));
  return x * x * (3.0 - 2.0 * x);
}
} // namespace

void EngineModel::frame() {
  const int n = fftSize_;
  for (int i = 0; i < n; ++i) {
    const int k = (pos_ + i) % n;
    specL_[2 * i] = window_[i] * ringL_[k];
    specL_[2 * i + 1] = 0.0;
    specR_[2 * i] = window_[i] * ringR_[k];
    specR_[2 * i + 1] = 0.0;
  }
  referenceFft(specL_.data(), n, false);
  referenceFft(specR_.data(), n, false);

  std::vector<double> target(lastBin_ + 1), mag(lastBin_ + 1);
  auto power = [&](int k) {
    return 0.5 * ((specL_[2 * k] * specL_[2 * k] + specL_[2 * k + 1] * specL_[2 * k + 1]) +
                  (specR_[2 * k] * specR_[2 * k] + specR_[2 * k + 1] * specR_[2 * k + 1]));
  };
  if (mode_ != 2) {
    const double sign = mode_ == 1 ? 1.0 : -1.0;
    for (int k = 0; k <= lastBin_; ++k) {
      const double m = std::sqrt(power(k));
      mag[k] = m;
      const double t = threshold_ - tilt_[k];
      if (havePrev_) {
        const double r = reference_[k];
        const double d = 20.0 * std::log10((m + 0.001) / (r + 0.001));
        const double s = knee((d - t) / knee_);
        target[k] = depth_ * sign * s * weight_[k];
        reference_[k] = r + (m - r) * (m > r ? rise_ : fall_);
      } else {
        target[k] = 0.0;
        reference_[k] = m;
      }
    }
  } else {
    std::vector<double> level(lastBin_ + 1), prefix(lastBin_ + 2, 0.0);
    for (int k = 0; k <= lastBin_; ++k) {
      double p = power(k);
      mag[k] = std::sqrt(p);
      if (havePrev_) p = reference_[k] + (p - reference_[k]) * tameCoef_;
      reference_[k] = p;
      level[k] = 10.0 * std::log10(p + 1e-10);
      prefix[k + 1] = prefix[k] + level[k];
    }
    for (int k = 0; k <= lastBin_; ++k) {
      int lo = std::max(0, static_cast<int>(std::floor(k * widthLo_)));
      int hi = std::min(lastBin_, static_cast<int>(std::ceil(k * widthHi_)));
      if (hi - lo < 2) {
        lo = std::max(k - 1, 0);
        hi = std::min(k + 1, lastBin_);
      }
      const double mean = (prefix[hi + 1] - prefix[lo] - level[k]) / std::max(hi - lo, 1);
      const double s = knee((level[k] - mean - (threshold_ - tilt_[k])) / knee_);
      target[k] = -depth_ * s * weight_[k];
    }
  }
  havePrev_ = true;

  double largest = 0.0;
  for (int k = 0; k <= lastBin_; ++k) {
    double sum = 0.0;
    for (int j = k - radius_; j <= k + radius_; ++j) sum += target[std::min(std::max(j, 0), lastBin_)];
    const double u = sum / (2 * radius_ + 1);
    double g = gainDb_[k];
    g = g + (u - g) * (std::fabs(u) > std::fabs(g) ? attack_ : release_);
    gainDb_[k] = g;
    largest = std::max(largest, std::fabs(g));
    const double a = std::exp(g * 0.11512925465);
    for (std::vector<double>* spec : {&specL_, &specR_}) {
      (*spec)[2 * k] *= a;
      (*spec)[2 * k + 1] *= a;
      if (k > 0 && k < lastBin_) {
        (*spec)[2 * (n - k)] *= a;
        (*spec)[2 * (n - k) + 1] *= a;
      }
    }
  }
  peakGainDb_ = largest > peakGainDb_ ? largest : peakGainDb_ * 0.97;

  referenceFft(specL_.data(), n, true);
  referenceFft(specR_.data(), n, true);
  for (int j = 0; j < n; ++j) {
    const int k = (pos_ + j) % n;
    const double g = olaScale_ * window_[j];
    accL_[k] += g * specL_[2 * j];
    accR_[k] += g * specR_[2 * j];
  }
}

} // namespace varnock::testing
