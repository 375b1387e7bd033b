// How the window makes and uses its HTML text labels: one place that knows the
// label widget's interface.
#pragma once

#include <QFont>
#include <QRect>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace vornel {

class TVqHTMLText;

struct THTMLLabelSpec {
  const char* Name;
  QRect Place;
  std::optional<QFont> Font = std::nullopt;  // none: the parent's font
  bool AutoWidth = false;
  bool AutoHeight = true;
  std::vector<std::u16string> Lines;
  bool Visible = true;
  bool ButtonFaceBackground = false;  // fixed colour instead of the parent's
};

// A label on parent, placed, styled and filled as spec says.
TVqHTMLText* MakeHTMLLabel(QWidget* parent, const THTMLLabelSpec& spec);

std::vector<std::u16string> HTMLLabelLines(const TVqHTMLText& label);
void SetHTMLLabelLines(TVqHTMLText& label, std::vector<std::u16string> lines);
// Replaces the whole markup (split at line breaks).
void SetHTMLLabelText(TVqHTMLText& label, const std::u16string& markup);

}  // namespace vornel
