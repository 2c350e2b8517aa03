// main_window.h — the modeller's main window: the slider panel, the views, the actions and the rebuild handler that drives the engine.
#pragma once

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/core/history.h"
#include "app/core/panel_rules.h"
#include "app/core/panel_state.h"
#include "app/qt_canvas.h"
#include "engine/model.h"
#include "export/export_options.h"

class QAction;
class QActionGroup;
class QGroupBox;
class QLabel;
class QMenu;
class QRadioButton;
class QScrollArea;
class QSplitter;
class QStackedLayout;
class QTimer;
class QToolButton;
namespace korvel { class THScrollBar; }

namespace korvel {

class GLView;

class TForm3;
class TForm4;
class TForm5;
class TForm6;

class Prompter;
class ImageBox;

// Restores a flag at scope end, whatever leaves the scope.
class FlagRestorer final {
public:
    FlagRestorer(bool& flag, bool value) : flag_(flag), saved_(flag) { flag_ = value; }
    ~FlagRestorer() { flag_ = saved_; }
    FlagRestorer(const FlagRestorer&) = delete;
    FlagRestorer& operator=(const FlagRestorer&) = delete;

private:
    bool& flag_;
    bool saved_;
};


// The window. Controls and actions carry the names users and the file formats know them by; the window's
// state goes to the plain rules (panel_rules.h) as a PanelState and comes back as a layout to show.
class TForm1 : public QMainWindow {
    Q_OBJECT

public:
    // paths: documents to open after the first activation (the command line), the first one only, as the
    // bytes the system gave: a name need not be valid UTF-8.
    explicit TForm1(Prompter& prompter, std::vector<std::string> paths = {}, QWidget* parent = nullptr);
    ~TForm1() override;

    // --- the rebuild handler and the operations around it ---
    void Manager3D(QObject* sender);
    void BarToParam(QObject* sender);
    void ReadAllBars();
    void SetMdlrBarsState(int mode);
    void UpdateMdlrCaption(int mode);
    void SetParamValue(int32_t tag, QObject* sender, double value);
    void FitViewToModel();

    // --- history ---
    void PushHistory(QObject* sender);
    void StepHistory(int32_t delta);

    // --- commands ---
    void ActNewExecute();
    bool ActSaveExecute();    // true when the project was written
    bool ActSaveAsExecute();  // true when the project file was written
    void ActOpenExecute();
    void FormDropFiles(const std::vector<std::string>& files);  // paths as the system's bytes
    void SetMaxValueClick(int which);  // 0 BarNPX, 1 BarMPX
    void MenuEditBarsClick(int32_t tag);
    void MenuCopyBarsClick(int32_t tag);
    void MenuPasteBarsClick(int32_t tag);
    bool PasteEnabled() const;

    // The panel as plain data, and the whole panel set from it (the restore of an undo entry).
    PanelState CapturePanel() const;

    THScrollBar* BarOf(Bar b) const { return bars_[static_cast<int>(b)]; }
    QGroupBox* BoxOf(Box b) const { return boxes_[static_cast<int>(b)]; }

    // --- state shared with the engine and the files ---
    ModelState Model;
    std::array<double, kParamCount> Params{};
    std::string InfoText;
    QtCanvas DrawBitmap{0, 0};
    ExportOptions Options;
    History HistoryRing;
    bool ModelReady = false;
    bool ProjectSaved = true;
    int32_t MaxPanels2D = kDefaultMaxPanels2D;
    int32_t MaxSubdivisions3D = 64;
    QString AppTitle = QStringLiteral("korvel");
    std::string CurrentFileName;  // the path's bytes, as the file layer takes them
    bool CloseRequested = false;
    bool FirstActivation = true;
    int PanelBarWidth = 265;
    int AlphaValue = 255;
    int BuildCount = 0;        // builds run, for the status of long runs and for tests
    int BusyCursorBuilds = 0;  // builds that showed the busy cursor

    // --- controls, named as the users and the files know them ---
    QAction *ActNew, *ActOpen, *ActSave, *ActSaveAs, *ActQuit;
    QAction *ActMaximize, *ActWireFrame, *ActAxes, *Act3D, *ActCut, *ActMirror, *ActCutSec, *ActWing, *ActTunnel,
        *ActBars;
    QAction *ActLinear, *ActElliptical, *ActJouk, *ActDimensions, *ActTanFactor, *ActUndo, *ActRedo, *ActCopyInfo,
        *ActTransparentMode, *ActAlphaValue, *ActAbout;
    QActionGroup* SpanGroup;
    QMenu* Span1;
    QToolButton* TBSpan;
    QRadioButton *RB2D, *RB3D;
    QWidget *PanelWing23D, *PanelTypeSec, *PanelCutSec, *PanelGraphic, *PanelGeoDates;
    QScrollArea* PanelBar;
    QSplitter* Splitter;
    QLabel *LLength, *LWidth, *LHeight, *LSurfVol;
    QLabel *StatusPanel0, *StatusPanel1;
    QGroupBox* BoxCamera;
    THScrollBar *BarCamera, *BarFocal;
    ImageBox* ImgBox;
    QWidget* GLBox;      // the 3D view, or a plain placeholder where no GL view can be made
    GLView* GLViewBox;   // GLBox as the 3D view; nullptr without one
    QMenu *PopupMenuBars, *PopupMenuMaxV;
    QAction *MenuEditBars, *MenuCopyBars, *MenuPasteBars, *SetMaxValue1;
    TForm3* Form3;
    TForm6* Form6;
    TForm4* Form4;
    TForm5* Form5;

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    void CreateActions();
    void CreateMenusAndToolBar();
    void CreatePanel();
    void CreateGraphic();
    void FormCreate();
    void FormActivate();
    void FirstActivationWork();  // once: the second build, the section layout, the command line's document
    void ApplyLayout(const PanelLayout& l, const PanelState& s);
    void RestorePanel(const PanelState& e);
    void RefreshUndoRedo();
    void RB2DChange();
    void BarCameraChange();
    void BoxCutSecResize();
    void ScheduleUpdateScene(QObject* sender);
    void ShowError(const QString& text);
    bool AskSaveBeforeLeaving();  // true when the user may go on
    void SetCaption(const std::string& fileName);
    void SetStatusText(const QString& text);  // status panel 0 and its tooltip
    // Runs a handler and shows an error that escapes it; exceptions never unwind through Qt.
    template <typename F>
    void Guarded(F&& f) {
        try {
            f();
        } catch (const std::exception& e) {
            ShowError(QString::fromUtf8(e.what()));
        }
    }
    // Files: the project, the parameter file's batch, the exports.
    bool LoadProjectFile(const std::string& fileName);
    void SaveProjectFile(const std::string& fileName);
    void SaveParamsFile(const std::string& fileName);
    void RunParamsFile(const std::string& fileName, bool closeAfter = false);
    void OpenPath(const std::string& file, QObject* sender);
    QString SaveFolder() const;

    Prompter& prompter_;
    std::array<THScrollBar*, kBarCount> bars_{};
    std::array<QGroupBox*, kBoxCount> boxes_{};
    QTimer* sceneTimer_ = nullptr;
    QObject* sceneSender_ = nullptr;
    std::vector<std::string> pendingPaths_;
    bool firstShowSeen_ = false;
    QString saveFolder_;
    int32_t menuTag_ = 0;
};

}  // namespace korvel
