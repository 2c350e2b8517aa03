// file_commands.cpp — the window's file commands: Open, dropped files, Save and Save As with its exporters.
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>

#include "app/core/batch_export.h"
#include "app/core/file_io.h"
#include "app/core/params_file.h"
#include "app/core/project_file.h"
#include "app/export_dialogs.h"
#include "app/file_paths.h"
#include "app/image_box.h"
#include "app/scroll_bar.h"
#include "app/main_window.h"
#include "app/prompter.h"
#include "export/airfoil_dat_writer.h"
#include "export/curve_txt_writer.h"
#include "export/iges_writer.h"
#include "export/obj_writer.h"
#include "export/step_writer.h"
#include "export/stl_writer.h"

namespace korvel {

namespace {

// The Save As type list: what the panel shows and the extension each entry writes. Entries 7 and 8 exist in
// 2D mode only.
struct SaveEntry {
    const char* filter;
    const char* suffix;
};
constexpr std::array<SaveEntry, 8> kSaveEntries = {{
    {"Korvel format (*.krvl)", "krvl"},
    {"Korvel params (*.krvlp)", "krvlp"},
    {"IGES (*.igs *.iges)", "igs"},
    {"STEP (*.stp *.step)", "stp"},
    {"OBJ (*.obj)", "obj"},
    {"STL (StereoLithography) (*.stl)", "stl"},
    {"UIUC Standard Format (*.dat)", "dat"},
    {"3D Curve(*.txt)", "txt"},
}};

QString WithSuffix(const QString& file, const char* suffix) {
    const QFileInfo fi(file);
    return fi.dir().filePath(fi.completeBaseName() + QLatin1Char('.') + QLatin1String(suffix));
}

// Shows the busy cursor while a long write runs, whatever way the write ends.
class BusyCursor {
public:
    BusyCursor() {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        QCoreApplication::processEvents();
    }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

QString TForm1::SaveFolder() const {
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) home = QDir::homePath();
    const QString desktop = home + QStringLiteral("/Desktop");
    return QFileInfo(desktop).isDir() ? desktop : home;
}

void TForm1::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* e) {
    std::vector<std::string> files;
    for (const QUrl& u : e->mimeData()->urls())
        if (u.isLocalFile()) files.push_back(LocalPathBytes(u));
    e->acceptProposedAction();
    Guarded([&] { FormDropFiles(files); });
}

void TForm1::ActOpenExecute() {
    const auto file = prompter_.OpenFileName(
        this, {QStringLiteral("korvel file (*.krvl)"), QStringLiteral("korvel params (*.krvlp)")}, QStringLiteral("krvl"));
    if (!file) return;
    QCoreApplication::processEvents();  // the panel closes before the work starts
    OpenPath(PathBytes(*file), ActOpen);
}

void TForm1::FormDropFiles(const std::vector<std::string>& files) {
    if (!files.empty()) OpenPath(files.front(), this);
}

void TForm1::OpenPath(const std::string& file, QObject* sender) {
    // The extension is plain ASCII; the rest of the name need not decode for this.
    const QString ext = QFileInfo(PathText(file)).suffix().toLower();
    if (ext == QLatin1String("krvl")) {
        if (!AskSaveBeforeLeaving()) return;
        if (!LoadProjectFile(file)) return;
        PushHistory(sender);
        ProjectSaved = true;
    } else if (ext == QLatin1String("krvlp")) {
        RunParamsFile(file);
    }
}

bool TForm1::ActSaveExecute() {
    if (CurrentFileName.empty()) return ActSaveAsExecute();
    SaveProjectFile(CurrentFileName);
    ProjectSaved = true;
    return true;
}

bool TForm1::ActSaveAsExecute() {
    if (saveFolder_.isEmpty()) saveFolder_ = SaveFolder();
    const bool solid = Act3D->isChecked() || ActCutSec->isChecked();
    const int entries = solid ? 6 : 8;
    QStringList filters, suffixes;
    for (int i = 0; i < entries; ++i) {
        filters << QString::fromLatin1(kSaveEntries[i].filter);
        suffixes << QString::fromLatin1(kSaveEntries[i].suffix);
    }
    const QString proposed = CurrentFileName.empty() ? QString() : QFileInfo(PathText(CurrentFileName)).completeBaseName();
    QCoreApplication::processEvents();
    const auto choice = prompter_.SaveFileName(this, QStringLiteral("Save As ..."), saveFolder_, proposed, filters, suffixes);
    if (!choice || choice->entry < 1 || choice->entry > entries) return false;
    QCoreApplication::processEvents();
    const QString chosen = choice->file;
    const int entry = choice->entry;
    // The project, the parameter and the point files take the entry's extension; the other exports keep the
    // name as chosen, with the extension added when it has none.
    QString target = chosen;
    if (entry == 2 || entry == 7) target = WithSuffix(chosen, kSaveEntries[entry - 1].suffix);
    else if (QFileInfo(chosen).suffix().isEmpty()) target = chosen + QLatin1Char('.') + QLatin1String(kSaveEntries[entry - 1].suffix);
    // One question about the file that will really be replaced.
    if (QFileInfo::exists(target)) {
        const QString text = QFileInfo(target).fileName() + QStringLiteral(" already exists.\nDo you want to replace it?");
        if (prompter_.Message(this, QMessageBox::Warning, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) !=
            QMessageBox::Yes)
            return false;
    }
    const std::string file = PathBytes(target);
    bool projectWritten = false;
    QString error;
    {
        BusyCursor busy;
        try {
            switch (entry) {
                case 1:
                    SaveProjectFile(file);
                    ProjectSaved = true;
                    CurrentFileName = file;
                    projectWritten = true;
                    break;
                case 2: SaveParamsFile(file); break;
                case 3:
                    // The options are asked first; OK keeps them for the rest of the run, Cancel writes nothing.
                    if (prompter_.Exec(*Form4) == QDialog::Accepted) {
                        if (solid)
                            ExportIgesSurfaces(Model, Options, file);
                        else
                            ExportIgesCurves(Model, Options, file);
                    }
                    break;
                case 4:
                    if (solid)
                        ExportStepSurfaces(Model, file);
                    else
                        ExportStepCurves(Model, Options.Airfoil, file);
                    break;
                case 5:
                    if (solid)
                        ExportObjSurfaces(Model, file);
                    else
                        ExportObjCurves(Model, Options.Airfoil, file);
                    break;
                case 6:
                    if (solid)
                        ExportStl(Model, file, 0);
                    else
                        prompter_.Message(this, QMessageBox::Information, QStringLiteral("Please activate first 3D mode."),
                                          QMessageBox::Ok, QMessageBox::Ok);
                    break;
                case 7: ExportAirfoilDat(Model, file); break;
                case 8: ExportCurveTxt(Model, file); break;
                default: break;
            }
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
        }
    }
    SetCaption(file);
    QCoreApplication::processEvents();
    if (!error.isEmpty()) ShowError(error);
    return projectWritten;
}

}  // namespace korvel

namespace korvel {

bool TForm1::LoadProjectFile(const std::string& fileName) {
    // Everything is read and checked first: a file that cannot be loaded whole changes nothing.
    const PanelState current = CapturePanel();
    std::vector<ProjectRecord> records;
    try {
        records = ReadProjectFile(fileName, current);
    } catch (const FileError& e) {
        ShowError(QString::fromUtf8(e.what()));
        return false;
    }
    PanelState s = current;
    const ProjectApplyResult r = ApplyProjectRecords(records, s);
    if (r.MaxSubdivisions3D) MaxSubdivisions3D = *r.MaxSubdivisions3D;
    if (r.MaxPanels2D) MaxPanels2D = *r.MaxPanels2D;
    {
        FlagRestorer guard(ModelReady, false);
        CurrentFileName = fileName;
        SetCaption(fileName);
        BarOf(Bar::MPX)->SetEnabled(true);
        BarOf(Bar::MPX)->SetMax(s.MaxMPX);
        RestorePanel(s);
    }
    Manager3D(nullptr);
    return true;
}

void TForm1::SaveProjectFile(const std::string& fileName) { ::korvel::SaveProjectFile(fileName, CapturePanel()); }

void TForm1::SaveParamsFile(const std::string& fileName) {
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) home = QDir::homePath();
    ::korvel::SaveParamsFile(fileName, CapturePanel(), home.toStdString());
}

void TForm1::RunParamsFile(const std::string& fileName, bool closeAfter) {
    // The batch builds on a model of its own: the window's model, sizes, drawing and text stay as they are.
    BatchOutcome outcome;
    try {
        outcome = ::korvel::RunParamsFile(fileName, Options, BarOf(Bar::MPX)->Max(), ImgBox->width(),
                                          ImgBox->height());
    } catch (const std::exception& e) {
        outcome = BatchOutcome{false, {}, e.what()};
    }
    SetStatusText(QString::fromStdString(History::CutStatus(outcome.Status)));
    if (closeAfter) {
        ProjectSaved = true;
        CloseRequested = true;
    }
    // The status bar shows a few words only: a run that wrote nothing says why in full.
    if (!outcome.Written) ShowError(QString::fromStdString(outcome.Status));
}

}  // namespace korvel
