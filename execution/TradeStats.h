// Trade statistics of one Strategy Performance Report: every trade of the report's list updates three
// columns (all trades, long trades, short trades); Finish derives the averages, ratios, medians, deviations
// and annualised figures that the statistics table shows.
#pragma once

#include <vector>

#include "foundation/DateTime.h"

// One closed trade as the report loader hands it over.
struct Trade {
  int direction = 1;     // negative: short; otherwise long
  float profit = 0;      // net profit or loss P, after commission
  float commission = 0;  // entry and exit commission together
  CZELDateTime entry;    // entry date and time
  CZELDateTime exit;     // exit date and time
};

// Columns of the statistics.
enum StatColumn { kColumnAll = 0, kColumnLong = 1, kColumnShort = 2, kStatColumns = 3 };

// Values of a column, named after the catalogue's short names (grouped as the catalogue groups them).
// clang-format off
enum StatValue {
  kStatPL, kStatPLYr, kStatEqu, kStatEquStart, kStatMaxEqu, kStatMinEqu, kStatGrossGain, kStatGrossLoss,
  kStatRetYr, kStatPF, kStatSharpe, kStatMAR, kStatVolatityPer, kStatVolatityAmt,
  kStatAvgTrdAmt, kStatAvgGainAmt, kStatAvgLossAmt, kStatPFAvg, kStatMaxGainAmt, kStatMaxLossAmt,
  kStatMedTrdAmt, kStatMedGainAmt, kStatMedLossAmt, kStatPFMed,
  kStatCntTrd, kStatCntGain, kStatCntLoss, kStatProb, kStatMaxGainCnt, kStatMaxLossCnt,
  kStatMaxDDAmt, kStatMaxDDPer, kStatMaxDUAmt, kStatMaxDUPer, kStatTotFee,
  kStatTrdRngDay, kStatTrdRngYr,
  kStatTrdDurTotal, kStatTrdDurPer,
  kStatDurTrdAvg, kStatDurGainAvg, kStatDurLossAvg, kStatDurMin, kStatDurMax,
  kStatDevAmt, kStatDevPer, kStatDevGainAmt, kStatDevGainPer, kStatDevLossAmt, kStatDevLossPer,
  kStatUsedValues
};
// Dates of a column.
enum StatDate {
  kDateMaxEqu, kDateMinEqu, kDateMaxGain, kDateMaxLoss, kDateMaxDD, kDateMaxDU, kDateMaxTrd, kDateMinTrd,
  kStatDates
};
// clang-format on
constexpr int kStatValues = 60;             // value slots per column
constexpr double kStatOutOfRange = 1e9;     // GetValue outside the columns or slots
constexpr double kStatRatioCapped = 9.999;  // Sharpe and MAR when they cannot be computed

class TradeStatistics {
 public:
  // Reads StartingCapital (section "Yieldra", default 5000) as the starting capital.
  TradeStatistics();
  explicit TradeStatistics(double capital) { Reset(capital); }

  // Every value 0, every date empty, no trades; then ending and starting equity = capital in each column.
  void Reset(double capital);
  // Keeps a copy of the trade and updates the all-trades column and the column of its direction.
  void AddTrade(const Trade& trade);
  // Derived figures of every column (BaseRate of section "Yieldra", default 5, for the Sharpe ratio).
  // No value is ever infinite or NaN: a figure whose divisor is zero keeps 0, or the documented cap.
  void Finish();

  double GetValue(int column, int index) const;       // kStatOutOfRange outside 0..2 / 0..59
  CZELDateTime GetDate(int column, int index) const;  // empty outside 0..2 / 0..7
  int GetTradeCount(int column) const;                // winners + losers; 0 outside 0..2
  double GetCapital() const { return m_capital; }
  const std::vector<Trade>& GetTrades() const { return m_trades; }

 private:
  struct Column {
    double value[kStatValues];
    CZELDateTime date[kStatDates];
    int trades;
    double runUp;
    int winStreak;
    int lossStreak;
    double winHours;
    double lossHours;
  };

  void AddToColumn(Column& col, const Trade& trade, double hours);
  void FinishColumn(Column& col);
  void Distribution(int column, int mode, double baseRate);
  bool InColumn(int column, const Trade& trade) const;

  Column m_col[kStatColumns];
  std::vector<Trade> m_trades;
  double m_capital = 5000;
};
