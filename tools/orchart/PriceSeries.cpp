// Synthetic prices: a daily random walk per symbol from 1/1/1990, and inside every trading day a minute
// path bridged from the day's open to its close. Intraday bars never span two days, so a day's bars do
// not depend on which days around it were built: the series is the same for every range and order.
#include "PriceSeries.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace orchart {
namespace {

constexpr int kSessionStartMinute = 9 * 60 + 30;
constexpr int kSessionMinutes = 390;
constexpr int kStepsPerMinute = 4;

uint64_t Hash(const std::string& s, uint64_t salt) {
  uint64_t h = 1469598103934665603ULL ^ salt;
  for (char c : s) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  return h;
}

class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t Next() {  // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  }
  double Uniform() { return ((Next() >> 11) + 0.5) * (1.0 / 9007199254740992.0); }
  double Normal() {
    double u1 = Uniform(), u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
  }

 private:
  uint64_t state_;
};

bool TradingDay(int serial) {
  int wd = Date::FromSerial(serial).Weekday();
  return wd != 0 && wd != 6;
}

double RoundPrice(double p) {
  double tick = p < 10 ? 0.0001 : 0.01;
  return std::round(p / tick) * tick;
}

int EpochSerial() {
  static const int epoch = Date{1990, 1, 1}.Serial();
  return epoch;
}

// Daily closes of one symbol, extended on demand; always generated in day order, so deterministic.
class DailyPath {
 public:
  explicit DailyPath(const std::string& symbol)
      : symbol_(symbol), rng_(Hash(symbol, 1)), base_(LookupSymbol(symbol).basePrice) {}

  double Close(int serial) {
    int index = std::max(0, serial - EpochSerial());
    while (static_cast<int>(closes_.size()) <= index) {
      double prev = closes_.empty() ? base_ : closes_.back();
      int s = EpochSerial() + static_cast<int>(closes_.size());
      double next = prev;
      if (TradingDay(s)) {
        next = prev * std::exp(0.0002 + 0.013 * rng_.Normal());
        next = std::max(next, base_ * 0.05);  // keep far from zero
      }
      closes_.push_back(next);
    }
    return closes_[index];
  }
  double PreviousClose(int serial) { return serial <= EpochSerial() ? base_ : Close(serial - 1); }
  const std::string& Symbol() const { return symbol_; }
  double DailyVolume() const { return base_ < 500 ? 2.0e6 : 2.5e5; }

 private:
  std::string symbol_;
  Rng rng_;
  double base_;
  std::vector<double> closes_;
};

std::mutex gPathsMutex;
DailyPath& PathOf(const std::string& symbol) {
  static std::map<std::string, std::unique_ptr<DailyPath>> paths;
  std::string key = Upper(symbol);
  auto& slot = paths[key];
  if (!slot) slot = std::make_unique<DailyPath>(key);
  return *slot;
}

Bar DailyBar(DailyPath& path, int serial) {
  Rng rng(Hash(path.Symbol(), 0x100000000ULL + static_cast<uint64_t>(serial)));
  double prev = path.PreviousClose(serial);
  double close = path.Close(serial);
  double open = prev * std::exp(0.003 * rng.Normal());
  Bar b;
  b.date = Date::FromSerial(serial).Number();
  b.open = RoundPrice(open);
  b.close = RoundPrice(close);
  b.high = RoundPrice(std::max(open, close) * (1 + std::fabs(rng.Normal()) * 0.006));
  b.low = RoundPrice(std::min(open, close) * (1 - std::fabs(rng.Normal()) * 0.006));
  b.volume = std::round(path.DailyVolume() * (0.6 + 0.8 * rng.Uniform()) / 100) * 100;
  return b;
}

struct MinuteBar {
  double points[kStepsPerMinute + 1];
  double volume;
};

// The day's minute path: a log-price bridge from the open to the close.
std::vector<MinuteBar> MinutePath(DailyPath& path, int serial) {
  Bar day = DailyBar(path, serial);
  Rng rng(Hash(path.Symbol(), 0x200000000ULL + static_cast<uint64_t>(serial)));
  const int steps = kSessionMinutes * kStepsPerMinute;
  const double sigma = 0.016 / std::sqrt(static_cast<double>(steps));
  std::vector<double> walk(steps + 1, 0.0);
  for (int k = 1; k <= steps; ++k) walk[k] = walk[k - 1] + sigma * rng.Normal();
  const double target = std::log(day.close / day.open);
  std::vector<MinuteBar> out(kSessionMinutes);
  for (int m = 0; m < kSessionMinutes; ++m) {
    for (int j = 0; j <= kStepsPerMinute; ++j) {
      int k = m * kStepsPerMinute + j;
      double t = static_cast<double>(k) / steps;
      out[m].points[j] = day.open * std::exp(walk[k] - t * (walk[steps] - target));
    }
    double x = (m - kSessionMinutes / 2.0) / (kSessionMinutes / 2.0);
    double shape = 1 + 1.5 * x * x;
    out[m].volume =
        std::max(100.0, std::round(day.volume / kSessionMinutes * shape * (0.4 + rng.Uniform()) / 100) * 100);
  }
  return out;
}

int MinuteTime(int minuteEnd) {  // minutes after the session start -> HHMM
  int t = kSessionStartMinute + minuteEnd;
  return (t / 60) * 100 + t % 60;
}

class Accumulator {
 public:
  void Add(double price, double volume) { Add(price, price, price, price, volume); }
  void Add(double o, double h, double l, double c, double volume) {
    if (!open_) {
      bar_ = Bar{};
      bar_.open = o;
      bar_.high = h;
      bar_.low = l;
      open_ = true;
    }
    bar_.high = std::max(bar_.high, h);
    bar_.low = std::min(bar_.low, l);
    bar_.close = c;
    bar_.volume += volume;
  }
  bool Open() const { return open_; }
  double Range() const { return open_ ? bar_.high - bar_.low : 0; }
  double Volume() const { return bar_.volume; }
  void Flush(std::vector<Bar>& out, int date, int time) {
    if (!open_) return;
    bar_.date = date;
    bar_.time = time;
    bar_.open = RoundPrice(bar_.open);
    bar_.high = RoundPrice(bar_.high);
    bar_.low = RoundPrice(bar_.low);
    bar_.close = RoundPrice(bar_.close);
    out.push_back(bar_);
    open_ = false;
  }

 private:
  bool open_ = false;
  Bar bar_;
};

// One day's intraday bars (every kind but daily, weekly and monthly).
std::vector<Bar> IntradayBars(DailyPath& path, const Interval& iv, int serial) {
  std::vector<Bar> out;
  std::vector<MinuteBar> minutes = MinutePath(path, serial);
  const int date = Date::FromSerial(serial).Number();
  Rng rng(Hash(path.Symbol(), 0x300000000ULL + static_cast<uint64_t>(serial)));
  Accumulator acc;
  const double value = std::max(iv.value, 1e-9);

  if (iv.kind == BarKind::Minute) {
    const int n = std::max(1, static_cast<int>(std::lround(value)));
    for (int m = 0; m < kSessionMinutes; ++m) {
      const MinuteBar& mb = minutes[m];
      double hi = *std::max_element(mb.points, mb.points + kStepsPerMinute + 1);
      double lo = *std::min_element(mb.points, mb.points + kStepsPerMinute + 1);
      acc.Add(mb.points[0], hi, lo, mb.points[kStepsPerMinute], mb.volume);
      if ((m + 1) % n == 0 || m + 1 == kSessionMinutes) acc.Flush(out, date, MinuteTime(m + 1));
    }
    return out;
  }

  // The other kinds walk ticks: a few per minute, along the minute's path.
  const bool kase = iv.kind == BarKind::Kase || iv.kind == BarKind::Kagi;
  double ticksInBar = 0;
  double direction = 0, extreme = 0;
  for (int m = 0; m < kSessionMinutes; ++m) {
    const MinuteBar& mb = minutes[m];
    int ticks = (kase && iv.kaseUnit != 'T') ? 1 : 3 + static_cast<int>(rng.Next() % 25);
    double shares = std::max(100.0, std::round(mb.volume / ticks / 100) * 100);
    for (int j = 0; j < ticks; ++j) {
      double f = kStepsPerMinute * static_cast<double>(j + 1) / ticks;
      int k = std::min(kStepsPerMinute - 1, static_cast<int>(f));
      double price = mb.points[k] + (mb.points[k + 1] - mb.points[k]) * (f - k);
      acc.Add(price, shares);
      bool close = false;
      if (iv.kind == BarKind::Tick) {
        close = ++ticksInBar >= value;
      } else if (iv.kind == BarKind::Volume) {
        close = acc.Volume() >= value;
      } else if (iv.kind == BarKind::Kase || iv.kind == BarKind::Momentum || iv.kind == BarKind::Range ||
                 iv.kind == BarKind::Renko) {
        close = acc.Range() >= price * value / 100;  // a range in percent of the price
      } else {  // Kagi, Point & Figure, Line Break: a new bar on a reversal of `value` percent
        if (direction >= 0) extreme = std::max(extreme, price);
        if (direction <= 0) extreme = extreme == 0 ? price : std::min(extreme, price);
        double move = (price - extreme) / extreme * 100;
        if ((direction >= 0 && move <= -value) || (direction <= 0 && move >= value)) {
          close = true;
          direction = move > 0 ? 1 : -1;
          extreme = price;
        }
      }
      if (close) {
        acc.Flush(out, date, MinuteTime(m + 1));
        ticksInBar = 0;
      }
    }
  }
  acc.Flush(out, date, MinuteTime(kSessionMinutes));
  return out;
}

std::vector<Bar> EndOfDayBars(DailyPath& path, BarKind kind, int fromSerial, int toSerial) {
  std::vector<Bar> out;
  Accumulator acc;
  int key = -1, lastDate = 0;
  for (int s = fromSerial; s <= toSerial; ++s) {
    if (!TradingDay(s)) continue;
    Bar d = DailyBar(path, s);
    if (kind == BarKind::Daily) {
      out.push_back(d);
      continue;
    }
    Date date = Date::FromSerial(s);
    int k = kind == BarKind::Weekly ? s - (date.Weekday() + 6) % 7 : date.y * 12 + date.m;
    if (k != key) acc.Flush(out, lastDate, 0);
    key = k;
    acc.Add(d.open, d.high, d.low, d.close, d.volume);
    lastDate = d.date;
  }
  acc.Flush(out, lastDate, 0);
  return out;
}

}  // namespace

std::vector<Bar> BuildBars(const std::string& symbol, const Interval& interval, const DateRange& range,
                           size_t maxBars) {
  std::lock_guard<std::mutex> lock(gPathsMutex);
  DailyPath& path = PathOf(symbol);
  const int last = range.LastOrToday().Serial();
  const int epoch = EpochSerial();
  const bool barsBack = range.barsBack;
  const size_t wanted = barsBack ? static_cast<size_t>(std::max(1, range.bars)) : maxBars;
  int first = barsBack ? epoch : (range.first.Valid() ? range.first.Serial() : last - 30);
  first = std::max(first, epoch);
  std::vector<Bar> out;
  if (last < first) return out;

  const BarKind kind = interval.kind;
  if (kind == BarKind::Daily || kind == BarKind::Weekly || kind == BarKind::Monthly) {
    if (barsBack) {
      int daysPerBar = kind == BarKind::Daily ? 2 : kind == BarKind::Weekly ? 8 : 32;
      first = std::max(epoch, last - static_cast<int>(wanted) * daysPerBar - 40);
    }
    out = EndOfDayBars(path, kind, first, last);
  } else {
    // Walk back day by day until the range or the wanted number of bars is covered.
    std::vector<std::vector<Bar>> days;
    size_t count = 0;
    for (int s = last; s >= first && count < wanted; --s) {
      if (!TradingDay(s)) continue;
      days.push_back(IntradayBars(path, interval, s));
      count += days.back().size();
    }
    out.reserve(count);
    for (auto it = days.rbegin(); it != days.rend(); ++it) out.insert(out.end(), it->begin(), it->end());
  }
  size_t keep = std::min(wanted, maxBars);
  if (out.size() > keep) out.erase(out.begin(), out.end() - static_cast<std::ptrdiff_t>(keep));
  return out;
}

}  // namespace orchart
