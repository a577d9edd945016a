#include "zap/ZapWarning.h"

namespace bw {

CZapWarningModel::CZapWarningModel(std::vector<std::string> selections, uint32_t overwriteCount)
    : _selections(std::move(selections)),
      _overwriteLine("Overwriting files " + std::to_string(overwriteCount) + " times!") {}

int CZapWarningModel::LabelFontHeight(int pixelsPerInch) {
  constexpr int kTenthsOfPoint = 115;
  constexpr int kTenthsPerInch = 720;
  if (pixelsPerInch <= 0)
    pixelsPerInch = 96;
  return -((kTenthsOfPoint * pixelsPerInch + kTenthsPerInch / 2) / kTenthsPerInch);
}

std::vector<std::string> CZapWarningModel::Rows(int listClientWidth,
                                                const TextMeasure& measure) const {
  std::vector<std::string> rows;
  rows.reserve(_selections.size());
  for (const std::string& path : _selections)
    rows.push_back(ShortenPath(path, listClientWidth - 26, measure));
  return rows;
}

} // namespace bw
