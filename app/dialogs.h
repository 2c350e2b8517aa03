// STUB
#pragma once
#include <QDialog>
#include <QLineEdit>
#include <array>
#include <optional>
#include "engine/model.h"
#include "export/export_options.h"
#include "app/prompter.h"
class TForm3 : public QDialog { public: TForm3(korvel::ModelState&, QWidget* p) : QDialog(p) {} };
class TForm6 : public QDialog { public: explicit TForm6(QWidget* p) : QDialog(p) {} std::array<double,4> TanFactorEdit{}; };
class TForm4 : public QDialog { public: TForm4(korvel::IgesOptions&, QWidget* p) : QDialog(p) {} };
class TForm5 : public QDialog { public: TForm5(korvel::AirfoilOptions&, QWidget* p) : QDialog(p) {} };
class TForm2 : public QDialog { public: explicit TForm2(QWidget* p = nullptr) : QDialog(p) {} };
inline std::optional<QString> NumberInputBox(korvel::Prompter&, QWidget*, const QString&, const QString&, const QString& d, bool = false) { return d; }
