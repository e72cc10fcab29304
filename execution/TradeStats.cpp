// The trade statistics: per-trade running figures, then the two passes of Finish.
#include "execution/TradeStats.h"

#include <algorithm>
#include <cmath>

#include "foundation/Settings.h"

namespace {

constexpr double kDaysPerYear = 365.25;
enum DistributionMode { kModeAll, kModeWinners, kModeLosers };

// amount as a percentage of base; 0 when there is no base to relate it to.
double Percent(double amount, double base) {
  return base == 0 ? 0 : amount * 100 / base;
}

// Hours from entry to exit; a trade without both dates has no duration (never "until now").
double TradeHours(const Trade& t) {
  if (t.entry.IsEmpty() || t.exit.IsEmpty()) return 0;
  return static_cast<double>(t.entry.GetDiffSecBig(&t.exit)) / 3600.0;
}

double SampleDeviation(const std::vector<double>& v) {
  if (v.size() < 2) return 0;
  double mean = 0;
  for (double x : v) mean += x;
  mean /= static_cast<double>(v.size());
  double sum = 0;
  for (double x : v) sum += (x - mean) * (x - mean);
  return std::sqrt(sum / static_cast<double>(v.size() - 1));
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

TradeStatistics::TradeStatistics() {
  Reset(Settings::GetFloat("Yieldra", "StartingCapital", 5000.0f));
}

void TradeStatistics::Reset(double capital) {
  m_capital = capital;
  m_trades.clear();
  for (Column& col : m_col) {
    std::fill(std::begin(col.value), std::end(col.value), 0.0);
    for (CZELDateTime& d : col.date) d.Reset();
    col.trades = 0;
    col.runUp = 0;
    col.winStreak = 0;
    col.lossStreak = 0;
    col.winHours = 0;
    col.lossHours = 0;
    col.value[kStatEqu] = capital;
    col.value[kStatEquStart] = capital;
  }
}

void TradeStatistics::AddTrade(const Trade& trade) {
  m_trades.push_back(trade);
  double hours = TradeHours(trade);
  AddToColumn(m_col[kColumnAll], trade, hours);
  AddToColumn(m_col[trade.direction < 0 ? kColumnShort : kColumnLong], trade, hours);
}

void TradeStatistics::AddToColumn(Column& col, const Trade& t, double hours) {
  double* v = col.value;
  CZELDateTime* date = col.date;
  if (col.trades++ == 0) {
    v[kStatMaxEqu] = v[kStatMinEqu] = m_capital;
    date[kDateMaxEqu] = date[kDateMinEqu] = t.entry;
    v[kStatDurMin] = v[kStatDurMax] = hours;
  }
  double p = t.profit;
  v[kStatPL] += p;
  double equity = m_capital + v[kStatPL];
  v[kStatEqu] = equity;

  if (equity > v[kStatMaxEqu]) {
    v[kStatMaxEqu] = equity;
    date[kDateMaxEqu] = t.exit;
  }
  if (equity < v[kStatMinEqu]) {
    v[kStatMinEqu] = equity;
    date[kDateMinEqu] = t.exit;
  }
  if (date[kDateMinTrd].IsEmpty() || t.entry < date[kDateMinTrd]) date[kDateMinTrd] = t.entry;
  if (date[kDateMaxTrd].IsEmpty() || date[kDateMaxTrd] < t.exit) date[kDateMaxTrd] = t.exit;

  v[kStatTrdDurTotal] += hours / 24;
  v[kStatDurMax] = std::max(v[kStatDurMax], hours);
  v[kStatDurMin] = std::min(v[kStatDurMin], hours);
  v[kStatTotFee] += t.commission;

  if (p > 0) {
    col.lossStreak = 0;
    v[kStatCntGain] += 1;
    v[kStatGrossGain] += p;
    col.runUp += p;
    if (p > v[kStatMaxGainAmt]) {
      v[kStatMaxGainAmt] = p;
      date[kDateMaxGain] = t.exit;
    }
    col.winHours += hours;
    v[kStatMaxGainCnt] = std::max(v[kStatMaxGainCnt], static_cast<double>(++col.winStreak));
    if (col.runUp > v[kStatMaxDUAmt]) {
      v[kStatMaxDUAmt] = col.runUp;
      v[kStatMaxDUPer] = Percent(col.runUp, equity);
      date[kDateMaxDU] = t.exit;
    }
  } else {  // a trade without profit counts as a loser
    col.runUp = 0;
    col.winStreak = 0;
    v[kStatCntLoss] += 1;
    v[kStatGrossLoss] += p;
    if (p < v[kStatMaxLossAmt]) {
      v[kStatMaxLossAmt] = p;
      date[kDateMaxLoss] = t.exit;
    }
    col.lossHours += hours;
    v[kStatMaxLossCnt] = std::max(v[kStatMaxLossCnt], static_cast<double>(++col.lossStreak));
  }

  double drawdown = equity - v[kStatMaxEqu];
  if (drawdown < v[kStatMaxDDAmt]) {
    v[kStatMaxDDAmt] = drawdown;
    v[kStatMaxDDPer] = Percent(drawdown, v[kStatMaxEqu]);
    date[kDateMaxDD] = date[kDateMaxEqu];
  }
}

void TradeStatistics::Finish() {
  for (Column& col : m_col) FinishColumn(col);
  double baseRate = Settings::GetFloat("Yieldra", "BaseRate", 5.0f);
  for (int mode : {kModeAll, kModeWinners, kModeLosers})
    for (int column = 0; column < kStatColumns; ++column) Distribution(column, mode, baseRate);
}

void TradeStatistics::FinishColumn(Column& col) {
  double* v = col.value;
  int winners = static_cast<int>(v[kStatCntGain]);
  int losers = static_cast<int>(v[kStatCntLoss]);
  int trades = winners + losers;
  v[kStatCntTrd] = trades;
  if (trades > 0) {
    v[kStatProb] = winners * 100.0 / trades;
    v[kStatAvgTrdAmt] = (v[kStatGrossGain] + v[kStatGrossLoss]) / trades;
    v[kStatDurTrdAvg] = v[kStatTrdDurTotal] * 24 / trades;
    v[kStatTrdRngDay] = col.date[kDateMinTrd].GetDiffDays(&col.date[kDateMaxTrd]);
    v[kStatTrdRngYr] = v[kStatTrdRngDay] / kDaysPerYear;
    // A trading period of no length (all trades entered and exited at one instant) has no time in the
    // market to relate to: the percentage stays 0.
    v[kStatTrdDurPer] = v[kStatTrdRngDay] > 0 ? v[kStatTrdDurTotal] * 100 / v[kStatTrdRngDay] : 0;
  }
  if (losers > 0) {
    v[kStatAvgLossAmt] = v[kStatGrossLoss] / losers;
    v[kStatDurLossAvg] = col.lossHours / losers;
  }
  if (winners > 0) {
    v[kStatAvgGainAmt] = v[kStatGrossGain] / winners;
    v[kStatDurGainAvg] = col.winHours / winners;
  }
  if (v[kStatGrossLoss] < 0) v[kStatPF] = -(v[kStatGrossGain] / v[kStatGrossLoss]);
  if (v[kStatAvgLossAmt] < 0) v[kStatPFAvg] = -(v[kStatAvgGainAmt] / v[kStatAvgLossAmt]);
}

bool TradeStatistics::InColumn(int column, const Trade& t) const {
  if (column == kColumnLong) return t.direction >= 0;
  if (column == kColumnShort) return t.direction < 0;
  return true;
}

void TradeStatistics::Distribution(int column, int mode, double baseRate) {
  double* v = m_col[column].value;
  std::vector<double> values;
  for (const Trade& t : m_trades) {
    if (!InColumn(column, t)) continue;
    double p = t.profit;
    if (mode == kModeAll || (mode == kModeWinners) == (p > 0)) values.push_back(p);
  }
  // Annualised figures need a trading period; over a period of no length they stay 0.
  double years = v[kStatTrdRngDay] / kDaysPerYear;
  bool hasPeriod = v[kStatTrdRngDay] > 0;
  v[kStatPLYr] = hasPeriod ? v[kStatPL] / years : 0;

  double deviation = SampleDeviation(values);
  double median = Median(values);
  int devAmt = mode == kModeAll ? kStatDevAmt : mode == kModeWinners ? kStatDevGainAmt : kStatDevLossAmt;
  int devPer = mode == kModeAll ? kStatDevPer : mode == kModeWinners ? kStatDevGainPer : kStatDevLossPer;
  int med = mode == kModeAll ? kStatMedTrdAmt : mode == kModeWinners ? kStatMedGainAmt : kStatMedLossAmt;
  v[devAmt] = deviation;
  v[devPer] = Percent(deviation, m_capital);
  v[med] = median;
  if (mode == kModeLosers && v[kStatMedLossAmt] < 0)
    v[kStatPFMed] = -(v[kStatMedGainAmt] / v[kStatMedLossAmt]);
  if (mode != kModeAll) return;

  // Volatility: how far the column's equity curve strays from the straight line to its end result.
  double n = static_cast<double>(m_trades.size());
  double cumulative = 0, spread = 0;
  bool any = false;
  for (size_t k = 0; k < m_trades.size(); ++k) {
    if (!InColumn(column, m_trades[k])) continue;
    any = true;
    cumulative += m_trades[k].profit;
    spread += std::fabs(static_cast<double>(k + 1) * v[kStatPL] / n - cumulative);
  }
  if (any) v[kStatVolatityAmt] = spread / n;
  v[kStatVolatityPer] = (any && v[kStatPL] > 0) ? v[kStatVolatityAmt] * 100 / v[kStatPL] : 100;

  v[kStatRetYr] = hasPeriod ? Percent(v[kStatEqu] - m_capital, m_capital) / years : 0;
  double divisor = m_capital > 0 ? std::sqrt(12.0) * v[kStatDevAmt] * 100 / m_capital : 0;
  v[kStatSharpe] = divisor > 0 ? (v[kStatRetYr] - baseRate) / divisor : kStatRatioCapped;
  v[kStatMAR] = v[kStatMaxDDPer] < 0 ? -(v[kStatRetYr] / v[kStatMaxDDPer]) : kStatRatioCapped;
}

double TradeStatistics::GetValue(int column, int index) const {
  if (column < 0 || column >= kStatColumns || index < 0 || index >= kStatValues) return kStatOutOfRange;
  return m_col[column].value[index];
}

CZELDateTime TradeStatistics::GetDate(int column, int index) const {
  if (column < 0 || column >= kStatColumns || index < 0 || index >= kStatDates) return CZELDateTime();
  return m_col[column].date[index];
}

int TradeStatistics::GetTradeCount(int column) const {
  if (column < 0 || column >= kStatColumns) return 0;
  return static_cast<int>(m_col[column].value[kStatCntGain]) +
         static_cast<int>(m_col[column].value[kStatCntLoss]);
}
