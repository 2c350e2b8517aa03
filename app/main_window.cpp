// main_window.cpp — building the main window, its actions and panel, and the rebuild handler that drives the engine.
#include "main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QShowEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedLayout>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <exception>

#include "app/dialogs.h"
#include "app/export_dialogs.h"
#include "app/file_paths.h"
#include "app/gl_view.h"
#include "app/image_box.h"
#include "app/prompter.h"
#include "app/scroll_bar.h"
#include "engine/build_model.h"
#include "engine/text_helpers.h"

namespace korvel {

namespace {

// The tag an action carries: actions with a tag of 1 or more mark the project unsaved when they rebuild.
const char* const kTagProperty = "korvelTag";

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Builds that take long enough for the user to notice get the busy cursor.
constexpr int64_t kBusyCells = 250000;

// A tool bar image: the glyph drawn on a small transparent square, readable in light and dark themes.
QIcon GlyphIcon(const QString& glyph) {
    QPixmap pm(24, 24);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(QColor(225, 232, 240));
    p.drawRoundedRect(QRectF(1.5, 1.5, 21, 21), 4, 4);
    QFont f = p.font();
    f.setPixelSize(glyph.size() > 2 ? 8 : 10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(20, 40, 90));
    p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, glyph);
    return QIcon(pm);
}

// The camera presets: yaw, pitch and the caption of the camera box.
struct CameraPreset {
    float yaw, pitch;
    const char* caption;
};
constexpr std::array<CameraPreset, 6> kCameraPresets = {{
    {90, 0, " X,Y,Z: 1 ; 0 ; 0 "},
    {90, 180, " X,Y,Z: -1 ; 0 ; 0 "},
    {180, 0, " X,Y,Z: 0 ; 1 ; 0 "},
    {0, 0, " X,Y,Z: 0 ; -1 ; 0 "},
    {90, 90, " X,Y,Z: 0 ; 0 ; 1 "},
    {90, -90, " X,Y,Z: 0 ; 0 ; -1 "},
}};

}  // namespace

// ------------------------------------------------------------------------------------------------------
// Construction

TForm1::TForm1(Prompter& prompter, std::vector<std::string> paths, QWidget* parent)
    : QMainWindow(parent), prompter_(prompter), pendingPaths_(std::move(paths)) {
    setWindowTitle(AppTitle);
    setAcceptDrops(true);
    resize(705, 594);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect a = screen->availableGeometry();
        move(a.center() - QPoint(width() / 2, height() / 2));
    }
    sceneTimer_ = new QTimer(this);
    sceneTimer_->setSingleShot(true);
    sceneTimer_->setInterval(0);
    connect(sceneTimer_, &QTimer::timeout, this, [this] {
        QObject* sender = sceneSender_;
        sceneSender_ = nullptr;
        Guarded([&] { if (!Act3D->isChecked()) Manager3D(sender); });
    });
    CreateActions();
    CreatePanel();
    CreateGraphic();
    CreateMenusAndToolBar();
    Form3 = new TForm3(Model, this);
    Form6 = new TForm6(prompter_, this);
    Form4 = new TForm4(Options.Iges, this);
    Form5 = new TForm5(Options.Airfoil, this);
    Guarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::CreateActions() {
    auto make = [this](const QString& text, const QString& hint, int tag, bool checkable, bool checked) {
        auto* a = new QAction(text, this);
        a->setToolTip(hint.isEmpty() ? text : hint);
        a->setProperty(kTagProperty, tag);
        a->setCheckable(checkable);
        a->setChecked(checked);
        return a;
    };
    ActNew = make("New", "New", 0, false, false);
    ActOpen = make("Open", "Open", 0, false, false);
    ActSave = make("Save", "Save", 0, false, false);
    ActSaveAs = make("Save As ...", "", 0, false, false);
    ActQuit = make("Quit", "", 0, false, false);
    ActMaximize = make("Maximize Windows", "Maximize Window", 0, true, false);
    ActWireFrame = make("WireFrame", "WireFrame", 0, true, false);
    ActAxes = make("Show Axes", "Show Axes", 0, true, true);
    Act3D = make("2D", "2D", 3, true, true);
    ActCut = make("Cut", "Cut", 1, true, false);
    ActMirror = make("Mirror", "Mirror", 2, true, false);
    ActCutSec = make("Define Section", "Define Section", 0, true, false);
    ActWing = make("Wing", "Wing", 4, true, false);
    ActTunnel = make("Tunnel", "CP", 0, true, false);
    ActBars = make("Enable ScrollBar", "Enable ScrollBar", 0, true, true);
    ActLinear = make("Linear", "", 5, true, true);
    ActElliptical = make("Elliptical", "", 6, true, false);
    ActJouk = make("Jouk", "", 0, true, false);
    ActDimensions = make("Resize", "Resize", 0, false, false);
    ActTanFactor = make("Surface Tangent Factors", "Surface Tangent Factors", 0, false, false);
    ActUndo = make("Undo", "", 0, false, false);
    ActRedo = make("Redo", "", 0, false, false);
    ActCopyInfo = make("Copy Info", "", 0, false, false);
    ActTransparentMode = make("Transparent Mode", "", 0, true, false);
    ActAlphaValue = make("Alpha Blend Value", "", 0, false, false);
    ActAbout = make("About", "", 0, false, false);
    ActUndo->setEnabled(false);
    ActRedo->setEnabled(false);

    // One sequence per action: an ambiguous shortcut fires neither action.
    ActNew->setShortcut(QKeySequence::New);
    ActOpen->setShortcut(QKeySequence::Open);
    ActSave->setShortcut(QKeySequence::Save);
    ActSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    ActQuit->setShortcut(QKeySequence::Quit);
    ActUndo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    ActRedo->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    ActCopyInfo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    for (QAction* a : {ActNew, ActOpen, ActSave, ActSaveAs, ActQuit, ActUndo, ActRedo, ActCopyInfo})
        addAction(a);

    SpanGroup = new QActionGroup(this);
    SpanGroup->setExclusive(true);
    for (QAction* a : {ActLinear, ActElliptical, ActJouk}) SpanGroup->addAction(a);

    auto on = [this](QAction* a, auto handler) {
        connect(a, &QAction::triggered, this, [this, handler] { Guarded(handler); });
    };
    on(ActNew, [this] { ActNewExecute(); });
    on(ActOpen, [this] { ActOpenExecute(); });
    on(ActSave, [this] { ActSaveExecute(); });
    on(ActSaveAs, [this] { ActSaveAsExecute(); });
    on(ActQuit, [this] { close(); });
    on(ActMaximize, [this] {
        const int total = Splitter->width();
        if (ActMaximize->isChecked())
            Splitter->setSizes({total, 0});
        else
            Splitter->setSizes({std::max(total - PanelBarWidth, 0), PanelBarWidth});
        if (!Act3D->isChecked()) {
            // The 2D drawing takes the size the view has after the panel moved.
            if (QLayout* l = PanelGraphic->layout()) l->activate();
            Manager3D(ActMaximize);
        }
    });
    on(ActWireFrame, [this] { if (GLViewBox != nullptr) GLViewBox->SetWireframe(ActWireFrame->isChecked()); });
    on(ActAxes, [this] { if (GLViewBox != nullptr) GLViewBox->SetAxes(ActAxes->isChecked()); });
    for (QAction* a : {Act3D, ActCut, ActMirror, ActCutSec, ActWing, ActTunnel, ActBars})
        connect(a, &QAction::triggered, this, [this, a] { Guarded([&] { Manager3D(a); }); });
    for (QAction* a : {ActLinear, ActElliptical, ActJouk})
        connect(a, &QAction::triggered, this, [this, a] { Guarded([&] { a->setChecked(true); Manager3D(a); }); });
    on(ActDimensions, [this] {
        if (Act3D->isChecked() || ActCutSec->isChecked()) {
            if (prompter_.Exec(*Form3) == QDialog::Accepted) {
                ProjectSaved = false;
                Manager3D(ActDimensions);
            }
        } else if (prompter_.Exec(*Form5) == QDialog::Accepted) {
            ProjectSaved = false;
            PushHistory(ActDimensions);
        }
    });
    on(ActTanFactor, [this] {
        for (int i = 0; i < 4; ++i) Form6->TanFactorEdit[i] = Params[kTangentFactorSlot + i];
        if (prompter_.Exec(*Form6) != QDialog::Accepted) return;
        const std::array<double, 4> v = Form6->TanFactorEdit;
        for (int i = 0; i < 4; ++i) SetParamValue(kTangentFactorSlot + i, ActTanFactor, v[i]);
    });
    on(ActUndo, [this] { StepHistory(-1); });
    on(ActRedo, [this] { StepHistory(+1); });
    on(ActCopyInfo, [this] { QGuiApplication::clipboard()->setText(Q(InfoText)); });
    on(ActTransparentMode, [this] { setWindowOpacity(ActTransparentMode->isChecked() ? AlphaValue / 255.0 : 1.0); });
    on(ActAlphaValue, [this] {
        const auto text = NumberInputBox(prompter_, this, QStringLiteral("Alpha Blend Value [64..255]"), QString(),
                                         QString::number(AlphaValue));
        if (!text) return;
        bool ok = false;
        const int v = text->toInt(&ok);
        if (!ok || v < 64 || v > 255) return;
        AlphaValue = v;
        if (ActTransparentMode->isChecked()) setWindowOpacity(AlphaValue / 255.0);
    });
    on(ActAbout, [this] {
        auto* about = new TForm2(nullptr);
        about->setAttribute(Qt::WA_DeleteOnClose);
        about->show();
    });
}

void TForm1::CreateMenusAndToolBar() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->addAction(ActNew);
    file->addAction(ActOpen);
    file->addSeparator();
    file->addAction(ActSave);
    file->addAction(ActSaveAs);
    file->addSeparator();
    file->addAction(ActQuit);
    QMenu* edit = menuBar()->addMenu(QStringLiteral("Edit"));
    edit->addAction(ActUndo);
    edit->addAction(ActRedo);
    edit->addAction(ActCopyInfo);
    QMenu* view = menuBar()->addMenu(QStringLiteral("View"));
    for (QAction* a : {ActMaximize, ActWireFrame, ActAxes, Act3D}) view->addAction(a);
    view->addSeparator();
    view->addAction(ActTransparentMode);
    view->addAction(ActAlphaValue);
    QMenu* tools = menuBar()->addMenu(QStringLiteral("Tools"));
    for (QAction* a : {ActCut, ActMirror, ActCutSec, ActWing}) tools->addAction(a);
    Span1 = tools->addMenu(QStringLiteral("Span"));
    Span1->addActions(SpanGroup->actions());
    Span1->setEnabled(false);
    tools->addAction(ActDimensions);
    tools->addSeparator();
    tools->addAction(ActBars);
    tools->addSeparator();
    tools->addAction(ActTunnel);
    tools->addSeparator();
    tools->addAction(ActTanFactor);
    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->addAction(ActAbout);

    QToolBar* bar = addToolBar(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setIconSize(QSize(24, 24));
    const QStyle* st = style();
    ActNew->setIcon(st->standardIcon(QStyle::SP_FileIcon));
    ActOpen->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
    ActSave->setIcon(st->standardIcon(QStyle::SP_DialogSaveButton));
    ActMaximize->setIcon(GlyphIcon(QStringLiteral("[ ]")));
    ActWireFrame->setIcon(GlyphIcon(QStringLiteral("#")));
    ActAxes->setIcon(GlyphIcon(QStringLiteral("xyz")));
    // Pressed means the 3D view is on, so the picture says "3D" (the hint names the other mode).
    Act3D->setIcon(GlyphIcon(QStringLiteral("3D")));
    ActDimensions->setIcon(GlyphIcon(QStringLiteral("<->")));
    ActTanFactor->setIcon(GlyphIcon(QStringLiteral("tan")));
    ActCut->setIcon(GlyphIcon(QStringLiteral("1/2")));
    ActMirror->setIcon(GlyphIcon(QStringLiteral("|<>")));
    ActCutSec->setIcon(GlyphIcon(QStringLiteral("sec")));
    ActWing->setIcon(GlyphIcon(QStringLiteral("W")));
    ActBars->setIcon(GlyphIcon(QStringLiteral("=")));
    ActTunnel->setIcon(GlyphIcon(QStringLiteral("CP")));
    for (QAction* a : {ActNew, ActOpen, ActSave}) bar->addAction(a);
    bar->addSeparator();
    for (QAction* a : {ActMaximize, ActWireFrame, ActAxes, Act3D}) bar->addAction(a);
    bar->addSeparator();
    bar->addAction(ActDimensions);
    bar->addSeparator();
    bar->addAction(ActTanFactor);
    bar->addSeparator();
    for (QAction* a : {ActCut, ActMirror, ActCutSec, ActWing}) bar->addAction(a);
    TBSpan = new QToolButton(bar);
    TBSpan->setObjectName(QStringLiteral("TBSpan"));
    TBSpan->setIcon(GlyphIcon(QStringLiteral("span")));
    TBSpan->setToolTip(QStringLiteral("Span"));
    auto* popupWS = new QMenu(TBSpan);
    popupWS->addActions(SpanGroup->actions());
    TBSpan->setMenu(popupWS);
    TBSpan->setPopupMode(QToolButton::InstantPopup);
    TBSpan->setEnabled(false);
    bar->addWidget(TBSpan);
    bar->addAction(ActBars);
    bar->addSeparator();
    bar->addAction(ActTunnel);

    auto* status = statusBar();
    // Two panels in the proportion 250 : 500; neither may hold the window wider than the user makes it.
    StatusPanel0 = new QLabel(status);
    StatusPanel1 = new QLabel(status);
    for (QLabel* l : {StatusPanel0, StatusPanel1}) l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    status->addWidget(StatusPanel0, 1);
    status->addWidget(StatusPanel1, 2);
}

void TForm1::CreatePanel() {
    auto* content = new QWidget;
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);
    static const std::array<const char*, kBoxCount> kBoxNames = {
        "BoxPoints", "BoxTEA", "BoxThick", "BoxCamber", "BoxMdlr", "BoxStretch", "BoxWingTip",
        "BoxFold", "BoxCut", "BoxCutSec", "BoxAOA", "BoxSpanSection", "BoxFlip"};
    std::array<QVBoxLayout*, kBoxCount> boxLayouts{};
    for (int i = 0; i < kBoxCount; ++i) {
        auto* box = new QGroupBox(content);
        box->setObjectName(QString::fromLatin1(kBoxNames[i]));
        // A long caption is cut at the panel's edge instead of pushing the sliders out of sight.
        box->setMinimumWidth(1);
        boxLayouts[i] = new QVBoxLayout(box);
        boxLayouts[i]->setContentsMargins(4, 2, 4, 4);
        boxLayouts[i]->setSpacing(3);
        boxes_[i] = box;
    }
    // The modeller box holds the set switch first; the section box two rows of sliders side by side.
    PanelWing23D = new QWidget(BoxOf(Box::Mdlr));
    auto* radios = new QHBoxLayout(PanelWing23D);
    radios->setContentsMargins(0, 0, 0, 0);
    RB2D = new QRadioButton(QStringLiteral("2D"), PanelWing23D);
    RB3D = new QRadioButton(QStringLiteral("3D"), PanelWing23D);
    RB3D->setChecked(true);
    radios->addWidget(RB2D);
    radios->addWidget(RB3D);
    PanelWing23D->setEnabled(false);
    boxLayouts[static_cast<int>(Box::Mdlr)]->addWidget(PanelWing23D);
    connect(RB2D, &QRadioButton::toggled, this, [this] { Guarded([this] { RB2DChange(); }); });
    PanelTypeSec = new QWidget(BoxOf(Box::CutSec));
    PanelCutSec = new QWidget(BoxOf(Box::CutSec));
    // The rows place their sliders themselves (BoxCutSecResize), so their widths never hold the box wider.
    for (QWidget* row : {PanelTypeSec, PanelCutSec}) {
        row->setFixedHeight(11);
        boxLayouts[static_cast<int>(Box::CutSec)]->addWidget(row);
    }
    BoxOf(Box::CutSec)->installEventFilter(this);

    PopupMenuBars = new QMenu(this);
    MenuEditBars = PopupMenuBars->addAction(QStringLiteral("Edit"));
    MenuCopyBars = PopupMenuBars->addAction(QStringLiteral("Copy"));
    MenuPasteBars = PopupMenuBars->addAction(QStringLiteral("Paste"));
    MenuPasteBars->setEnabled(false);
    connect(MenuEditBars, &QAction::triggered, this, [this] { Guarded([this] { MenuEditBarsClick(menuTag_); }); });
    connect(MenuCopyBars, &QAction::triggered, this, [this] { Guarded([this] { MenuCopyBarsClick(menuTag_); }); });
    connect(MenuPasteBars, &QAction::triggered, this, [this] { Guarded([this] { MenuPasteBarsClick(menuTag_); }); });
    PopupMenuMaxV = new QMenu(this);
    SetMaxValue1 = PopupMenuMaxV->addAction(QStringLiteral("Set Max Value"));
    connect(SetMaxValue1, &QAction::triggered, this, [this] { Guarded([this] { SetMaxValueClick(menuTag_); }); });

    for (const BarSpec& spec : kBars) {
        QWidget* parentBox = BoxOf(spec.box);
        QLayout* target = boxLayouts[static_cast<int>(spec.box)];
        if (spec.box == Box::CutSec) {
            parentBox = spec.bar <= Bar::TypeSec2D ? PanelTypeSec : PanelCutSec;
            target = nullptr;
        }
        auto* bar = new THScrollBar(parentBox);
        bar->setObjectName(QString::fromLatin1(spec.name));
        bar->SetTag(spec.tag);
        bar->SetMin(spec.min);
        bar->SetMax(spec.max);
        bar->SetPosition(spec.position);
        bar->SetLargeChange(spec.largeChange);
        bar->SetSmallChange(spec.smallChange);
        bar->SetEnabled(true);
        bar->setFixedHeight(11);
        if (spec.hint != nullptr) bar->setToolTip(QString::fromLatin1(spec.hint));
        if (target != nullptr) target->addWidget(bar);
        bars_[static_cast<int>(spec.bar)] = bar;
        connect(bar, &THScrollBar::Change, this, [this](THScrollBar* s) { Guarded([&] { Manager3D(s); }); });
        bar->setContextMenuPolicy(Qt::CustomContextMenu);
        if (IsScaled(spec)) {
            connect(bar, &QWidget::customContextMenuRequested, this, [this, bar](const QPoint& at) {
                menuTag_ = bar->Tag();
                MenuPasteBars->setEnabled(PasteEnabled());
                PopupMenuBars->popup(bar->mapToGlobal(at));
            });
        } else if (spec.bar == Bar::NPX || spec.bar == Bar::MPX) {
            const int which = spec.bar == Bar::NPX ? 0 : 1;
            connect(bar, &QWidget::customContextMenuRequested, this, [this, bar, which](const QPoint& at) {
                menuTag_ = which;
                PopupMenuMaxV->popup(bar->mapToGlobal(at));
            });
        }
    }
    for (Bar b : {Bar::TX2, Bar::TZ2, Bar::KTc2, Bar::KTt2, Bar::Versus2, Bar::Norm2}) BarOf(b)->setVisible(false);
    for (QGroupBox* box : boxes_) column->addWidget(box);
    column->addStretch(1);

    PanelBar = new QScrollArea;
    PanelBar->setObjectName(QStringLiteral("PanelBar"));
    PanelBar->setWidget(content);
    PanelBar->setWidgetResizable(true);
    PanelBar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    PanelBar->setMinimumWidth(0);
}

void TForm1::CreateGraphic() {
    PanelGraphic = new QWidget;
    auto* column = new QVBoxLayout(PanelGraphic);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    PanelGeoDates = new QWidget(PanelGraphic);
    PanelGeoDates->setFixedHeight(31);
    PanelGeoDates->setAutoFillBackground(true);
    QPalette black = PanelGeoDates->palette();
    black.setColor(QPalette::Window, Qt::black);
    PanelGeoDates->setPalette(black);
    auto* labels = new QHBoxLayout(PanelGeoDates);
    labels->setContentsMargins(2, 0, 2, 0);
    auto label = [this, labels](QColor colour) {
        auto* l = new QLabel(PanelGeoDates);
        l->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
        labels->addWidget(l);
        return l;
    };
    LLength = label(Qt::red);
    LWidth = label(QColor(0, 255, 0));
    LHeight = label(Qt::blue);
    LSurfVol = label(Qt::white);
    // The long figures are cut at the view's edge rather than widening the window.
    LSurfVol->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    labels->setStretch(3, 1);
    column->addWidget(PanelGeoDates);

    auto* views = new QWidget(PanelGraphic);
    auto* stack = new QStackedLayout(views);
    // Both views keep the view's size while hidden: the 2D drawing is sized from the image box.
    stack->setStackingMode(QStackedLayout::StackAll);
    ImgBox = new ImageBox(DrawBitmap, views);
    ImgBox->setObjectName(QStringLiteral("ImgBox"));
    ImgBox->OnResize = [this] {
        // A drawing made at this size already stands: a relayout that ends where it began needs no rebuild.
        if (ImgBox->size() != DrawBitmap.Image().size()) ScheduleUpdateScene(ImgBox);
    };
    GLViewBox = GLViewAvailable() ? new GLView(views) : nullptr;
    GLBox = GLViewBox != nullptr ? static_cast<QWidget*>(GLViewBox) : new QWidget(views);
    GLBox->setObjectName(QStringLiteral("GLBox"));
    stack->addWidget(GLBox);
    stack->addWidget(ImgBox);
    ImgBox->setVisible(false);
    column->addWidget(views, 1);

    BoxCamera = new QGroupBox(QStringLiteral("X,Y,Z:"), PanelGraphic);
    QFont bold = BoxCamera->font();
    bold.setBold(true);
    BoxCamera->setFont(bold);
    auto* cam = new QHBoxLayout(BoxCamera);
    cam->setContentsMargins(4, 2, 4, 4);
    BarFocal = new THScrollBar(BoxCamera);
    BarFocal->setObjectName(QStringLiteral("BarFocal"));
    BarFocal->SetMin(1);
    BarFocal->SetMax(999);
    BarFocal->SetPosition(500);
    BarFocal->SetEnabled(true);
    BarFocal->setFixedHeight(11);
    BarFocal->setToolTip(QStringLiteral("Zoom"));
    BarCamera = new THScrollBar(BoxCamera);
    BarCamera->setObjectName(QStringLiteral("BarCamera"));
    BarCamera->SetMin(0);
    BarCamera->SetMax(5);
    BarCamera->SetPosition(2);
    BarCamera->SetEnabled(true);
    BarCamera->setFixedSize(120, 11);
    BarCamera->setToolTip(QStringLiteral("View Point"));
    cam->addWidget(BarFocal, 1);
    cam->addWidget(BarCamera);
    connect(BarCamera, &THScrollBar::Change, this, [this] { Guarded([this] { BarCameraChange(); }); });
    connect(BarFocal, &THScrollBar::Change, this, [this] {
        if (GLViewBox != nullptr) GLViewBox->SetZoom(static_cast<float>(BarFocal->Position() * 0.001));
    });
    column->addWidget(BoxCamera);

    Splitter = new QSplitter(Qt::Horizontal);
    Splitter->setHandleWidth(8);
    Splitter->addWidget(PanelGraphic);
    Splitter->addWidget(PanelBar);
    Splitter->setCollapsible(0, false);
    Splitter->setCollapsible(1, true);
    Splitter->setStretchFactor(0, 1);
    Splitter->setStretchFactor(1, 0);
    Splitter->setSizes({705 - 265 - 8, 265});
    connect(Splitter, &QSplitter::splitterMoved, this, [this] { ScheduleUpdateScene(Splitter); });
    setCentralWidget(Splitter);
}

void TForm1::FormCreate() {
    InitIgesOptions(Options.Iges);
    InitAirfoilOptions(Options.Airfoil);
    SetCaption({});
    CurrentFileName.clear();
    CloseRequested = false;
    FirstActivation = true;
    ModelReady = false;
    ProjectSaved = true;
    MaxSubdivisions3D = BarOf(Bar::NPX)->Max();
    MaxPanels2D = kDefaultMaxPanels2D;
    ReadAllBars();
    ResetDimensions(Model);
    SetMdlrBarsState(0);
    HistoryRing.Reset(CapturePanel());
    ModelReady = true;
    Manager3D(nullptr);
}

void TForm1::FormActivate() {
    if (CloseRequested) {
        close();
        return;
    }
    FirstActivationWork();
}

void TForm1::FirstActivationWork() {
    if (!FirstActivation) return;
    FirstActivation = false;
    PanelBarWidth = PanelBar->width() > 0 ? PanelBar->width() : PanelBarWidth;
    BoxCutSecResize();
    Manager3D(nullptr);
    if (!pendingPaths_.empty()) {
        const std::vector<std::string> paths = std::exchange(pendingPaths_, {});
        OpenPath(paths.front(), this);
    }
}

void TForm1::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    // A new window is not always activated (no window manager, focus-stealing prevention, a start from a
    // script), so the start-up's second half runs once the event loop turns after the first show; an
    // activation that comes first runs it instead.
    if (FirstActivation && !firstShowSeen_) {
        firstShowSeen_ = true;
        QTimer::singleShot(0, this, [this] { Guarded([this] { FirstActivationWork(); }); });
    }
}

bool TForm1::event(QEvent* e) {
    const bool handled = QMainWindow::event(e);
    if (e->type() == QEvent::WindowActivate) Guarded([this] { FormActivate(); });
    return handled;
}

// ------------------------------------------------------------------------------------------------------
// Parameters and the rebuild

PanelState TForm1::CapturePanel() const {
    PanelState s;
    for (int i = 0; i < kBarCount; ++i) s.Positions[i] = bars_[i]->Position();
    s.Params = Params;
    s.ActMaximize = ActMaximize->isChecked();
    s.ActWireFrame = ActWireFrame->isChecked();
    s.ActAxes = ActAxes->isChecked();
    s.Act3D = Act3D->isChecked();
    s.ActCut = ActCut->isChecked();
    s.ActMirror = ActMirror->isChecked();
    s.ActCutSec = ActCutSec->isChecked();
    s.ActWing = ActWing->isChecked();
    s.ActBars = ActBars->isChecked();
    s.ActTunnel = ActTunnel->isChecked();
    s.Span = ActLinear->isChecked() ? SpanLinear : ActElliptical->isChecked() ? SpanElliptical : SpanJouk;
    s.Set2Shown = RB2D->isChecked();
    s.LengthX = Model.LengthX;
    s.WidthY = Model.WidthY;
    s.HeightZ = Model.HeightZ;
    s.KeepProportions = Model.KeepProportions;
    s.AirfoilChordLength = Options.Airfoil.AirfoilChordLength;
    s.AirfoilXZPlane = Options.Airfoil.AirfoilXZPlane;
    s.MaxNPX = BarOf(Bar::NPX)->Max();
    s.MaxMPX = BarOf(Bar::MPX)->Max();
    s.Status = StatusPanel0->text().toStdString();
    return s;
}

void TForm1::BarToParam(QObject* sender) {
    if (sender == nullptr) return;
    if (auto* bar = qobject_cast<THScrollBar*>(sender)) {
        const int32_t tag = bar->Tag();
        const BarSpec* spec = SpecByTag(tag);
        if (spec != nullptr && IsScaled(*spec)) Params[tag] = PositionToValue(bar->Position(), spec->scale);
        // The subdivisions, directions, cut mode and section types change the model without marking it unsaved.
        if ((tag >= 2 && tag <= 13) || (tag >= 15 && tag <= 21) || (tag >= 27 && tag <= 35) || tag >= 37)
            ProjectSaved = false;
        return;
    }
    const QVariant tag = sender->property(kTagProperty);
    if (tag.isValid() && tag.toInt() >= 1) ProjectSaved = false;
}

void TForm1::ReadAllBars() {
    for (const BarSpec& spec : kBars)
        if (IsScaled(spec)) Params[spec.tag] = PositionToValue(BarOf(spec.bar)->Position(), spec.scale);
    for (int i = kTangentFactorSlot; i < kParamCount; ++i) Params[i] = kDefaultTangentFactor;
}

void TForm1::SetMdlrBarsState(int mode) {
    static constexpr std::array<Bar, 6> set1 = {Bar::TX, Bar::TZ, Bar::KTc, Bar::KTt, Bar::Versus, Bar::Norm};
    static constexpr std::array<Bar, 6> set2 = {Bar::TX2, Bar::TZ2, Bar::KTc2, Bar::KTt2, Bar::Versus2, Bar::Norm2};
    if (mode == 0 || mode == 1) {
        const auto& hide = mode == 0 ? set2 : set1;
        const auto& show = mode == 0 ? set1 : set2;
        for (Bar b : hide) BarOf(b)->setVisible(false);
        for (Bar b : show) BarOf(b)->setVisible(true);
        return;
    }
    if (mode != 2 && mode != 3) return;
    const bool second = mode == 3;
    const auto& set = second ? set2 : set1;
    const bool on = ModellerSetEnabled(CapturePanel(), second);
    BarOf(set[2])->SetEnabled(on);
    BarOf(set[3])->SetEnabled(on);
    BarOf(set[4])->SetEnabled(on || !BoxOf(Box::Fold)->isHidden());
    BarOf(set[5])->SetEnabled(on);
}

void TForm1::UpdateMdlrCaption(int mode) { BoxOf(Box::Mdlr)->setTitle(Q(MdlrCaption(CapturePanel(), mode == 2))); }

void TForm1::RB2DChange() {
    if (RB2D->isChecked()) {
        SetMdlrBarsState(1);
        SetMdlrBarsState(3);
        UpdateMdlrCaption(2);
    } else {
        SetMdlrBarsState(0);
        SetMdlrBarsState(2);
        UpdateMdlrCaption(3);
    }
}

void TForm1::ApplyLayout(const PanelLayout& l, const PanelState& s) {
    ActBars->setToolTip(Q(l.BarsHint));
    ActBars->setText(Q(l.BarsHint));
    PanelGeoDates->setVisible(l.PanelGeoDates);
    if (ImgBox->isHidden() == l.ImgBox) {
        ImgBox->setVisible(l.ImgBox);
        GLBox->setVisible(!l.ImgBox);
    }
    BoxOf(Box::Fold)->setVisible(l.BoxFold);
    BoxOf(Box::Flip)->setVisible(l.BoxFlip);
    ActCut->setEnabled(l.ActCut);
    ActWing->setEnabled(l.ActWing);
    ActWireFrame->setEnabled(l.ActView);
    ActAxes->setEnabled(l.ActView);
    TBSpan->setEnabled(l.Span);
    Span1->setEnabled(l.Span);
    ActTunnel->setEnabled(l.ActTunnel);
    ActMirror->setEnabled(l.ActMirror);
    ActMirror->setChecked(s.ActMirror);
    BoxOf(Box::Camber)->setVisible(l.BoxCamber);
    PanelWing23D->setEnabled(l.PanelWing23D);
    RB2D->setEnabled(l.PanelWing23D);
    RB3D->setEnabled(l.PanelWing23D);
    const bool second = s.Set2Shown;
    BarOf(second ? Bar::KTc2 : Bar::KTc)->SetEnabled(l.SetKTc);
    BarOf(second ? Bar::KTt2 : Bar::KTt)->SetEnabled(l.SetKTc);
    BarOf(second ? Bar::Versus2 : Bar::Versus)->SetEnabled(l.SetVersus);
    BarOf(second ? Bar::Norm2 : Bar::Norm)->SetEnabled(l.SetKTc);
    BoxOf(Box::SpanSection)->setVisible(l.BoxSpanSection);
    BoxOf(Box::WingTip)->setVisible(l.BoxWingTip);
    BoxOf(Box::Cut)->setVisible(l.BoxCut);
    BoxOf(Box::AOA)->setVisible(l.BoxAOA);
    BoxOf(Box::CutSec)->setVisible(l.BoxCutSec);
    BoxCamera->setVisible(l.BoxCamera);
    BarOf(Bar::RB1)->SetEnabled(l.BarRB1);
    BarOf(Bar::StretchYF)->SetEnabled(l.BarStretchYF);
    BarOf(Bar::StretchYD)->SetEnabled(l.BarStretchYD);
    BarOf(Bar::TypeSec2D)->SetEnabled(l.BarTypeSec2D);
    BarOf(Bar::MPX)->SetEnabled(l.BarMPX);
    if (l.BoxFlip) BoxOf(Box::Flip)->setTitle(Q(l.Caption.Flip));
    StatusPanel1->clear();
    // Lowering a maximum clamps the slider silently; the rules computed the clamped positions already.
    if (s.Solid()) BarOf(Bar::Cut)->SetMax(s.ActWing ? 2 : 4);
    BarOf(Bar::NPX)->SetMax(s.MaxNPX);
    Act3D->setToolTip(Q(l.Act3DHint));
    Act3D->setText(Q(l.Act3DHint));
    const auto& c = l.Caption;
    BoxOf(Box::Points)->setTitle(Q(c.Points));
    BoxOf(Box::TEA)->setTitle(Q(c.TEA));
    BoxOf(Box::Thick)->setTitle(Q(c.Thick));
    BoxOf(Box::Camber)->setTitle(Q(c.Camber));
    BoxOf(Box::Mdlr)->setTitle(Q(c.Mdlr));
    BoxOf(Box::Stretch)->setTitle(Q(c.Stretch));
    BoxOf(Box::Fold)->setTitle(Q(c.Fold));
    BoxOf(Box::SpanSection)->setTitle(Q(c.SpanSection));
    BoxOf(Box::WingTip)->setTitle(Q(c.WingTip));
    BoxOf(Box::Cut)->setTitle(Q(c.Cut));
    BoxOf(Box::AOA)->setTitle(Q(c.AOA));
}

void TForm1::Manager3D(QObject* sender) {
    if (!ModelReady) return;
    FlagRestorer guard(ModelReady, false);
    BarToParam(sender);
    PanelState s = CapturePanel();
    const PanelLayout l = ComputeLayout(s, BarOf(Bar::KTc)->Enabled(), MaxPanels2D, MaxSubdivisions3D);
    ApplyLayout(l, s);
    if (!s.ActBars) return;

    // The panel as the layout left it (clamped positions, Mirror unchecked) is what is stored and built.
    const PanelState now = CapturePanel();
    if (sender != nullptr) HistoryRing.Push(now);  // start-up, loads, Undo and Redo store nothing
    RefreshUndoRedo();
    InfoText.clear();
    // The 2D drawing takes the image box's size, also while the box is hidden.
    const BuildInputs in = BuildInputsOf(now, ImgBox->width(), ImgBox->height());
    const bool busy = static_cast<int64_t>(in.nX) * in.mYZ >= kBusyCells;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        ++BusyCursorBuilds;
    }
    struct CursorRestorer {
        bool on;
        ~CursorRestorer() {
            if (on) QApplication::restoreOverrideCursor();
        }
    } restoreCursor{busy};
    ++BuildCount;
    BuildModel(Model, in, DrawBitmap, InfoText);
    AppendModelFigures(Model, InfoText);

    if (s.Act3D) {
        BoxOf(Box::CutSec)->setTitle(Q(CutSecCaption(s, Model)));
        StatusPanel1->setText(QStringLiteral(" %1 triangles").arg(Model.TriangleLast + 1));
        if (s.ActAxes) {
            const GeoLabels g = GeoLabelsOf(Model);
            LLength->setText(Q(g.Length));
            LWidth->setText(Q(g.Width));
            LHeight->setText(Q(g.Height));
            LSurfVol->setText(Q(g.SurfVol));
        }
        FitViewToModel();
    } else {
        ImgBox->update();
        if (!BoxOf(Box::CutSec)->isHidden()) BoxOf(Box::CutSec)->setTitle(Q(CutSecCaption(s, Model)));
        // The 3D view stays hidden until a 3D build refits it: its copies and buffers of the last solid model
        // (about 770 MB for a 2000 x 2000 body) would only be held meanwhile.
        if (GLViewBox != nullptr) GLViewBox->ReleaseScene();
    }
}

void TForm1::FitViewToModel() {
    if (GLViewBox != nullptr) GLViewBox->FitViewToModel(Model);
}

void TForm1::SetParamValue(int32_t tag, QObject* sender, double value) {
    bool rebuild = false;
    {
        FlagRestorer guard(ModelReady, false);
        const int32_t p = ValueToPosition(tag, value);
        if (tag >= kTangentFactorSlot && tag < kParamCount) {
            if (value != Params[tag]) {
                ProjectSaved = false;
                rebuild = true;
            }
            Params[tag] = value;
        } else if (const BarSpec* spec = SpecByTag(tag)) {
            THScrollBar* bar = BarOf(spec->bar);
            if (bar->Min() <= p && p <= bar->Max()) {
                bar->SetPosition(p);
                if (value != Params[tag]) ProjectSaved = false;
                Params[tag] = value;  // the exact value, not the position times the scale
                rebuild = true;
            }
        }
    }
    if (rebuild) Manager3D(sender);
}

// ------------------------------------------------------------------------------------------------------
// The value menu and the maximum command

namespace {
// The clipboard's text as a number: ',' counts as '.', and an empty text is no number.
bool ClipboardNumber(double& value) {
    std::string text = QGuiApplication::clipboard()->text().trimmed().toStdString();
    if (text.empty()) return false;
    for (char& c : text)
        if (c == ',') c = '.';
    return TryTextToFloat(text, value);
}
}  // namespace

bool TForm1::PasteEnabled() const {
    double v = 0.0;
    return ClipboardNumber(v);
}

void TForm1::MenuCopyBarsClick(int32_t tag) {
    if (tag >= 0 && tag < kParamCount) QGuiApplication::clipboard()->setText(Q(FloatToText(Params[tag])));
}

void TForm1::MenuPasteBarsClick(int32_t tag) {
    double v = 0.0;
    if (ClipboardNumber(v)) SetParamValue(tag, MenuPasteBars, v);
}

void TForm1::MenuEditBarsClick(int32_t tag) {
    if (tag < 0 || tag >= kParamCount) return;
    const auto text = NumberInputBox(prompter_, this, AppTitle, QString(), Q(FloatToText(Params[tag])), true);
    if (!text) return;
    double v = 0.0;
    if (TryTextToFloat(text->toStdString(), v)) SetParamValue(tag, MenuEditBars, v);
}

void TForm1::SetMaxValueClick(int which) {
    const bool solid = Act3D->isChecked() || ActCutSec->isChecked();
    THScrollBar* bar = which == 0 ? BarOf(Bar::NPX) : which == 1 ? BarOf(Bar::MPX) : nullptr;
    if (bar == nullptr) return;
    const int32_t limit = which == 0 && !solid ? kMaxPanels2DLimit : kMaxSubdivisionsLimit;
    const QString prompt = QStringLiteral("Set Max Value [%1 .. %2]").arg(bar->Min()).arg(limit);
    const auto text = NumberInputBox(prompter_, this, AppTitle, prompt, QString::number(bar->Max()));
    if (!text) return;
    bool ok = false;
    const int v = text->toInt(&ok);
    if (!ok || v <= bar->Min() || v > limit) return;
    if (which == 0) (solid ? MaxSubdivisions3D : MaxPanels2D) = v;
    bar->SetMax(v);
}

// ------------------------------------------------------------------------------------------------------
// History

void TForm1::RefreshUndoRedo() {
    ActUndo->setEnabled(HistoryRing.CanUndo());
    ActRedo->setEnabled(HistoryRing.CanRedo());
}

void TForm1::PushHistory(QObject* sender) {
    if (sender != nullptr) HistoryRing.Push(CapturePanel());
    RefreshUndoRedo();
}

void TForm1::RestorePanel(const PanelState& e) {
    FlagRestorer guard(ModelReady, false);
    BarOf(Bar::Cut)->SetMax(4);
    // The panel count of a 2D entry must not be clamped by the subdivision maximum, nor the reverse.
    BarOf(Bar::NPX)->SetMax(e.Solid() ? MaxSubdivisions3D : MaxPanels2D);
    Params = e.Params;
    for (Bar b : {Bar::RB1, Bar::KTc, Bar::KTt, Bar::Versus, Bar::Norm, Bar::StretchYD, Bar::KTc2, Bar::KTt2,
                  Bar::Versus2, Bar::Norm2})
        BarOf(b)->SetEnabled(true);
    for (int i = 0; i < kBarCount; ++i) bars_[i]->SetPosition(e.Positions[i]);
    ActMaximize->setChecked(e.ActMaximize);
    ActWireFrame->setChecked(e.ActWireFrame);
    ActAxes->setChecked(e.ActAxes);
    Act3D->setChecked(e.Act3D);
    ActCut->setChecked(e.ActCut);
    ActMirror->setChecked(e.ActMirror);
    ActCutSec->setChecked(e.ActCutSec);
    ActWing->setChecked(e.ActWing);
    ActBars->setChecked(e.ActBars);
    ActTunnel->setChecked(e.ActTunnel);
    if (e.Span == SpanLinear) ActLinear->setChecked(true);
    if (e.Span == SpanElliptical) ActElliptical->setChecked(true);
    if (e.Span == SpanJouk) ActJouk->setChecked(true);
    if (e.Set2Shown)
        RB2D->setChecked(true);
    else
        RB3D->setChecked(true);
    Model.LengthX = e.LengthX;
    Model.WidthY = e.WidthY;
    Model.HeightZ = e.HeightZ;
    Model.KeepProportions = e.KeepProportions;
    Options.Airfoil.AirfoilChordLength = e.AirfoilChordLength;
    Options.Airfoil.AirfoilXZPlane = e.AirfoilXZPlane;
    SetStatusText(Q(e.Status));
    // A restored maximize state takes its panel width too; otherwise the panel stays as the user left it.
    if ((Splitter->sizes().value(1) == 0) != e.ActMaximize) {
        const int total = Splitter->width();
        Splitter->setSizes(e.ActMaximize ? QList<int>{total, 0}
                                         : QList<int>{std::max(total - PanelBarWidth, 0), PanelBarWidth});
    }
    if (GLViewBox != nullptr) {
        GLViewBox->SetWireframe(e.ActWireFrame);
        GLViewBox->SetAxes(e.ActAxes);
    }
}

void TForm1::StepHistory(int32_t delta) {
    const std::optional<PanelState> e = HistoryRing.Step(delta);
    if (e) {
        RestorePanel(*e);
        Manager3D(nullptr);
    }
    RefreshUndoRedo();
}

// ------------------------------------------------------------------------------------------------------
// View handlers

void TForm1::BarCameraChange() {
    const int p = BarCamera->Position();
    if (p >= 0 && p < static_cast<int>(kCameraPresets.size())) {
        const CameraPreset& c = kCameraPresets[p];
        if (GLViewBox != nullptr) GLViewBox->SetViewAngles(c.yaw, c.pitch);
        BoxCamera->setTitle(QString::fromLatin1(c.caption));
    }
    GLBox->update();
}

void TForm1::BoxCutSecResize() {
    // The width really available: inside the box's frame and title, and inside its layout's margins.
    const QGroupBox* box = BoxOf(Box::CutSec);
    const QMargins margins = box->layout()->contentsMargins();
    const SectionSliderPlaces p = SectionSliderPlacesOf(box->contentsRect().width() - margins.left() - margins.right());
    const auto place = [](THScrollBar* bar, SliderSpan span) { bar->setGeometry(span.x, 0, span.width, 11); };
    place(BarOf(Bar::TypeSecX), p.type[0]);
    place(BarOf(Bar::TypeSecY), p.type[1]);
    place(BarOf(Bar::TypeSecZ), p.type[2]);
    place(BarOf(Bar::TypeSec2D), p.type[3]);
    place(BarOf(Bar::CutSecX), p.cut[0]);
    place(BarOf(Bar::CutSecY), p.cut[1]);
    place(BarOf(Bar::CutSecZ), p.cut[2]);
}

bool TForm1::eventFilter(QObject* watched, QEvent* e) {
    if (watched == BoxOf(Box::CutSec) && e->type() == QEvent::Resize) BoxCutSecResize();
    return QMainWindow::eventFilter(watched, e);
}

void TForm1::ScheduleUpdateScene(QObject* sender) {
    // Many resize events arrive in one drag: one rebuild per turn of the event loop is enough.
    sceneSender_ = sender;
    if (!Act3D->isChecked()) sceneTimer_->start();
}

// ------------------------------------------------------------------------------------------------------
// New, close, errors

void TForm1::ShowError(const QString& text) {
    prompter_.Message(this, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

void TForm1::SetStatusText(const QString& text) {
    // The panel is narrow; its tooltip shows the whole text.
    StatusPanel0->setText(text);
    StatusPanel0->setToolTip(text);
}

void TForm1::SetCaption(const std::string& fileName) {
    setWindowTitle(fileName.empty() ? AppTitle : AppTitle + QStringLiteral(" - ") + QFileInfo(PathText(fileName)).completeBaseName());
}

bool TForm1::AskSaveBeforeLeaving() {
    if (ProjectSaved) return true;
    const auto answer = prompter_.Message(this, QMessageBox::Question, QStringLiteral("Do you want to save changes?"),
                                          QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::No) return true;
    if (answer != QMessageBox::Yes) return false;
    // Go on only when the work is really saved: a cancelled Save As or a failed write keeps the window.
    try {
        return ActSaveExecute();
    } catch (const std::exception& e) {
        ShowError(QString::fromUtf8(e.what()));
        return false;
    }
}

void TForm1::ActNewExecute() {
    if (!AskSaveBeforeLeaving()) return;
    {
        FlagRestorer guard(ModelReady, false);
        CurrentFileName.clear();
        SetMdlrBarsState(0);
        SetStatusText(QString());
        SetCaption({});
        ResetDimensions(Model);
        InitAirfoilOptions(Options.Airfoil);
        for (const BarSpec& spec : kBars) {
            if (spec.bar == Bar::NPX || spec.bar == Bar::MPX) continue;
            BarOf(spec.bar)->SetEnabled(true);
            const bool direction = spec.bar == Bar::Versus || spec.bar == Bar::Versus2;
            BarOf(spec.bar)->SetPosition(direction ? 1 : spec.position);
        }
        ActWing->setChecked(false);
        Act3D->setChecked(true);
        ActCutSec->setChecked(false);
        ActMirror->setChecked(false);
        TBSpan->setEnabled(false);
        Span1->setEnabled(false);
        ActLinear->setChecked(true);
        ActCut->setChecked(false);
        RB3D->setChecked(true);
        ReadAllBars();
    }
    Manager3D(ActNew);
    ProjectSaved = true;
}

void TForm1::closeEvent(QCloseEvent* e) {
    bool may = true;
    Guarded([&] { may = AskSaveBeforeLeaving(); });
    if (!may) {
        e->ignore();
        return;
    }
    if (GLViewBox != nullptr) GLViewBox->DeleteSceneBuffers();
    e->accept();
}

}  // namespace korvel
