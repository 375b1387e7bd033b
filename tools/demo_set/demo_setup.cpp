// The setup program of the demo installation set: a dialog "Instalace demo" with
// "OK" (exit code 0, the installation succeeded) and "Chyba" (exit code 1, it
// failed). Closing the dialog counts as a failure. The outcome is also printed.
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstdio>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QDialog dialog;
  dialog.setObjectName(QStringLiteral("DemoSetup"));
  dialog.setWindowTitle(QStringLiteral("Instalace demo"));
  auto* text = new QLabel(
      QStringLiteral("Toto je ukázkový instalační program demo sady.\n"
                     "Tlačítkem OK ohlásí úspěch, tlačítkem Chyba neúspěch."),
      &dialog);
  auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
  ok->setObjectName(QStringLiteral("OK"));
  auto* failure = new QPushButton(QStringLiteral("Chyba"), &dialog);
  failure->setObjectName(QStringLiteral("Chyba"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(failure);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(text);
  layout->addLayout(buttons);
  QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
  QObject::connect(failure, &QPushButton::clicked, &dialog, &QDialog::reject);
  const int exitCode = dialog.exec() == QDialog::Accepted ? 0 : 1;
  // Told on the terminal too, so a demo run without a screen shows the outcome.
  std::printf("Instalace demo: %s, exit code %d\n", exitCode == 0 ? "OK" : "Chyba", exitCode);
  return exitCode;
}
