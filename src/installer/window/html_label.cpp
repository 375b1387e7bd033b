#include "installer/window/html_label.h"

#include "htmltext/widget/html_text.h"
#include "htmltext/widget/qt_colors.h"

namespace vornel {

TVqHTMLText* MakeHTMLLabel(QWidget* parent, const THTMLLabelSpec& spec) {
  auto* label = new TVqHTMLText(parent);
  label->setObjectName(QString::fromLatin1(spec.Name));
  label->BeginUpdate();
  label->setGeometry(spec.Place);
  if (spec.Font)
    label->setFont(*spec.Font);
  if (spec.ButtonFaceBackground) {
    label->SetColor(FromQColor(parent->palette().color(QPalette::Button)));
  }
  label->SetAutoWidth(spec.AutoWidth);
  label->SetAutoHeight(spec.AutoHeight);
  label->SetLines(spec.Lines);
  // Built once, as when loading from the window description has finished.
  label->EndUpdate(true);
  label->setVisible(spec.Visible);
  return label;
}

std::vector<std::u16string> HTMLLabelLines(const TVqHTMLText& label) {
  return label.Lines();
}

void SetHTMLLabelLines(TVqHTMLText& label, std::vector<std::u16string> lines) {
  label.SetLines(std::move(lines));
}

void SetHTMLLabelText(TVqHTMLText& label, const std::u16string& markup) {
  label.SetText(markup);
}

}  // namespace vornel
