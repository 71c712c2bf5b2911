#include "gui/TFMain.h"

#include "app/DatabaseActions.h"
#include "run/ImportRun.h"
#include "run/Rehearsal.h"
#include "run/PreflightCheck.h"
#include "app/ImportJournal.h"
#include "app/RunState.h"
#include "run/SourceFolder.h"
#include "cleaning/AccountingPurge.h"
#include "cleaning/EmptyTables.h"
#include "cleaning/SitePurge.h"
#include "gui/AddressParts.h"
#include "gui/DocumentationUrl.h"
#include "gui/FocusKeeper.h"
#include "gui/GradientButton.h"
#include "gui/QtOperator.h"
#include "gui/QtText.h"
#include "gui/ResultsWindow.h"
#include "gui/WaitWindow.h"
#include "cleaning/CitiesFill.h"
#include "import/ImportSteps.h"
#include "import/medical/MedicalSynthesis.h"
#include "normalized/Errors.h"
#include "normalized/TestFileGenerator.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDateEdit>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace clinova {

namespace {

#define CLINOVA_TEXT_OF(x) #x
#define CLINOVA_VALUE_TEXT(x) CLINOVA_TEXT_OF(x)

const char *const kOtherDatabasePath = "C:\\Program Files\\Clinova 2\\Database\\BASE.CN2";
const QColor kSectionInk(0x1b, 0x38, 0x60);
const QColor kBlue(0x2f, 0x6d, 0xb5);
const QColor kGreen(0x2e, 0x8b, 0x46);
const QColor kRed(0xb8, 0x3b, 0x2e);
const QColor kOrange(0xc9, 0x6f, 0x1c);
const QColor kTeal(0x1f, 0x7f, 0x86);

QString Utf8(const char *text) {
    return QString::fromUtf8(text);
}

// One numbered section of the left column: a light rounded panel.
class SectionFrame : public QFrame {
public:
    explicit SectionFrame(QWidget *parent) : QFrame(parent) {}

protected:
    void paintEvent(QPaintEvent *) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QColor(0xc3, 0xce, 0xdc));
        p.setBrush(QColor(0xf5, 0xf8, 0xfc));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    }
};

QLabel *SectionCaption(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, kSectionInk);
    label->setPalette(palette);
    return label;
}

QVBoxLayout *SectionLayout(QWidget *section) {
    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(10, 5, 10, 6);
    layout->setSpacing(4);
    return layout;
}

QString WidgetText(const QWidget *widget) {
    if (auto *edit = qobject_cast<const QLineEdit *>(widget))
        return edit->text();
    if (auto *memo = qobject_cast<const QPlainTextEdit *>(widget))
        return memo->toPlainText();
    if (auto *spin = qobject_cast<const QSpinBox *>(widget))
        return QString::number(spin->value());
    if (auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    return {};
}

void SetWidgetText(QWidget *widget, const QString &text) {
    if (auto *edit = qobject_cast<QLineEdit *>(widget))
        edit->setText(text);
    else if (auto *memo = qobject_cast<QPlainTextEdit *>(widget))
        memo->setPlainText(text);
    else if (auto *spin = qobject_cast<QSpinBox *>(widget))
        spin->setValue(text.trimmed().toInt()); // a text that is not an integer reads as 0
    else if (auto *button = qobject_cast<QAbstractButton *>(widget))
        button->setText(text);
}

QSpinBox *SiteSpin(const char *name, QWidget *parent) {
    auto *spin = new QSpinBox(parent);
    spin->setObjectName(QLatin1String(name));
    spin->setRange(0, 99999);
    spin->setFixedWidth(80);
    return spin;
}

QDateEdit *DatePicker(const char *name, QWidget *parent) {
    auto *date = new QDateEdit(parent);
    date->setObjectName(QLatin1String(name));
    date->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    date->setCalendarPopup(true);
    date->setFixedWidth(date->sizeHint().width() + 6);
    return date;
}

} // namespace

TFMain::TFMain(QWidget *parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("FMain"));
    setWindowTitle(Utf8("Importation normalisée dans Clinova") + QStringLiteral(" - version ") + NoBuild());
    waitWindow_ = new TFMessagePatienter(this);
    results_ = new ResultsWindow(this);

    auto *leftPanel = new QWidget(this);
    leftPanel->setObjectName(QStringLiteral("Sections"));
    leftPanel->setFixedWidth(640);
    auto *left = new QVBoxLayout(leftPanel);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(4);
    left->addWidget(BuildHeader());
    left->addWidget(BuildDatabaseSection());
    left->addWidget(BuildTestSection());
    left->addWidget(BuildCleaningSection());
    left->addWidget(BuildSourcesSection());
    left->addWidget(BuildImportSection());
    left->addWidget(BuildOptionsSection());
    left->addStretch(1);
    // On a small screen the sections scroll; they keep their width, so that no caption is cut.
    sectionsPanel_ = leftPanel;
    sections_ = Scrolled(leftPanel, "ScrollSections");
    sections_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sections_->setMinimumWidth(leftPanel->width() + sections_->verticalScrollBar()->sizeHint().width() + 2);
    sections_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);

    auto *pages = new QTabWidget(this);
    pages_ = pages;
    pages->setObjectName(QStringLiteral("PageControl1"));
    pages->addTab(Scrolled(BuildLogPage(), "ScrollLog"), QStringLiteral("Log"));
    pages->addTab(Scrolled(BuildHelpPage(), "ScrollAide"), QStringLiteral("Aide"));
    pages->addTab(Scrolled(BuildOptions1Page(), "ScrollOptions1"), QStringLiteral("Options 1"));
    pages->addTab(Scrolled(BuildOptions2Page(), "ScrollOptions2"), QStringLiteral("Options 2"));
    pages->setCurrentIndex(0);

    auto *root = new QHBoxLayout(this);
    root->setContentsMargins(8, 8, 8, 8);
    root->setSpacing(8);
    root->addWidget(sections_);
    root->addWidget(pages, 1);

    operator_ = std::make_unique<QtOperator>(*memo_, *waitWindow_, this);
    operator_->SetHelpMemo(findChild<QPlainTextEdit *>(QStringLiteral("Memo2")));
    state_ = std::make_unique<RunState>(*operator_);
    // The window starts from the engine's defaults, but backs the database up before changing it.
    ImportOptions startUp;
    startUp.cbSauvegardeAvant = true;
    WriteOptions(startUp);
    UpdateActionButtons();

    FitToScreen();
}

QScrollArea *TFMain::Scrolled(QWidget *content, const char *name) {
    auto *area = new QScrollArea(this);
    area->setObjectName(QLatin1String(name));
    area->setWidget(content);
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    // The page's own background, not the scroll area's.
    area->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return area;
}

void TFMain::FitToScreen() {
    QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect room = screen->availableGeometry();
    // The frame the window system adds, once known; before the window is shown, a title bar and thin borders.
    QSize frame = frameGeometry().size() - geometry().size();
    if (frame.isEmpty() || frame.height() < 8)
        frame = QSize(8, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8);
    // Scroll areas ask for little room: the window asks for what the sections and the widest page hold.
    int pagesWidth = pages_->sizeHint().width();
    for (int page = 0; page < pages_->count(); ++page) {
        if (auto *area = qobject_cast<QScrollArea *>(pages_->widget(page)))
            pagesWidth = std::max(pagesWidth, area->widget()->sizeHint().width() +
                                                  area->verticalScrollBar()->sizeHint().width() +
                                                  2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8);
    }
    const QMargins margins = layout()->contentsMargins();
    const QSize wanted =
        QSize(margins.left() + margins.right() + sections_->minimumWidth() + layout()->spacing() + pagesWidth,
              margins.top() + margins.bottom() +
                  std::max(sectionsPanel_->sizeHint().height(), pages_->sizeHint().height()))
            .expandedTo(minimumSizeHint());
    const QSize fitted(std::min(wanted.width(), room.width() - frame.width()),
                       std::min(wanted.height(), room.height() - frame.height()));
    resize(fitted);
    QRect placed(QPoint(), fitted + frame);
    placed.moveCenter(room.center());
    placed.moveTopLeft(QPoint(std::max(placed.left(), room.left()), std::max(placed.top(), room.top())));
    move(placed.topLeft());
}

void TFMain::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (fitted_)
        return;
    fitted_ = true;
    // The window system's frame is known now: the window is fitted to the screen again with it.
    FitToScreen();
}

TFMain::~TFMain() = default;

QString TFMain::NoBuild() {
#ifdef CLINOVA_TOOL_BUILD
    const QString build = QStringLiteral(CLINOVA_VALUE_TEXT(CLINOVA_TOOL_BUILD)).trimmed();
#else
    const QString build;
#endif
    bool number = false;
    build.toInt(&number);
    return number ? build : QStringLiteral("0");
}

// ---- the left column -----------------------------------------------------------------------------------

QWidget *TFMain::BuildHeader() {
    auto *header = new QWidget(this);
    auto *layout = new QGridLayout(header);
    layout->setContentsMargins(4, 0, 4, 2);
    layout->setHorizontalSpacing(6);
    layout->setVerticalSpacing(3);

    auto *purpose = new QLabel(
        Utf8("Cet outil a pour objectif d'importer des données normalisées dans une base pour Clinova."), header);
    purpose->setWordWrap(true);
    auto *compatibility = new QLabel(
        Utf8("La compatibilité est assurée pour les versions <b>75 à 93</b> de la base de données."), header);
    compatibility->setWordWrap(true);

    auto *version = new QLabel(Utf8("N° de version de cet outil :"), header);
    auto *lbVersion = new QLabel(NoBuild(), header);
    lbVersion->setObjectName(QStringLiteral("lbVersion"));
    QFont bold = lbVersion->font();
    bold.setBold(true);
    lbVersion->setFont(bold);

    auto *latest = new QLabel(
        Utf8("La dernière version de cet outil et toutes les explications associées se trouvent ici :"), header);
    latest->setWordWrap(true);
    auto *btnWeb = new QPushButton(QStringLiteral(CLINOVA_DOCUMENTATION_URL), header);
    btnWeb->setFlat(true);
    btnWeb->setCursor(Qt::PointingHandCursor);
    btnWeb->setStyleSheet(QStringLiteral("QPushButton { color: #1a5fb4; text-decoration: underline; border: none;"
                                         " text-align: left; padding: 0px; }"
                                         "QPushButton:disabled { color: #8a94a3; }"));
    AddActionButton(btnWeb, "btnWeb", &TFMain::btnWebClick);

    auto *versionRow = new QHBoxLayout;
    versionRow->setSpacing(6);
    versionRow->addWidget(version);
    versionRow->addWidget(lbVersion);
    versionRow->addStretch(1);

    layout->addWidget(purpose, 0, 0);
    layout->addWidget(compatibility, 1, 0);
    layout->addLayout(versionRow, 2, 0);
    layout->addWidget(latest, 3, 0);
    layout->addWidget(btnWeb, 4, 0, Qt::AlignLeft);
    return header;
}

QWidget *TFMain::BuildDatabaseSection() {
    auto *section = new SectionFrame(this);
    auto *layout = SectionLayout(section);
    layout->addWidget(SectionCaption(Utf8("1- Base de données de Clinova :"), section));

    auto *local = new QRadioButton(Utf8("La base de données est sur cet ordinateur"), section);
    local->setObjectName(QStringLiteral("RadioButtonLocal"));
    auto *ip = new QRadioButton(Utf8("La base de données est sur l'ordinateur dont l'adresse IP est :"), section);
    ip->setObjectName(QStringLiteral("RadioButtonIP"));
    layout->addWidget(local);

    auto *ipRow = new QHBoxLayout;
    std::array<QLineEdit *, 4> ipParts{};
    ipRow->setSpacing(3);
    ipRow->addWidget(ip);
    ipRow->addSpacing(6);
    for (int part = 1; part <= 4; ++part) {
        if (part > 1)
            ipRow->addWidget(new QLabel(QStringLiteral("."), section));
        auto *edit = new QLineEdit(section);
        edit->setObjectName(QStringLiteral("edIP%1").arg(part));
        edit->setAlignment(Qt::AlignCenter);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 12);
        ipRow->addWidget(edit);
        ipParts[static_cast<std::size_t>(part - 1)] = edit;
    }
    ipRow->addStretch(1);
    layout->addLayout(ipRow);
    new AddressParts(ipParts, ip);

    label1_ = new QLabel(Utf8("Chemin d'accès à la base de données de Clinova (vu du serveur) :"), section);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setToolTip(Utf8("Double-cliquer pour passer de « Program Files (x86) » à « Program Files » et retour"));
    label1_->installEventFilter(this);
    layout->addWidget(label1_);

    auto *pathRow = new QHBoxLayout;
    edPathNameDatabase_ = new QLineEdit(section);
    edPathNameDatabase_->setObjectName(QStringLiteral("edPathNameDatabase"));
    pathRow->addWidget(edPathNameDatabase_, 1);
    pathRow->addWidget(AddActionButton(new QPushButton(QStringLiteral("Changer"), section), "btnChangePath",
                                       &TFMain::btnChangePathClick));
    layout->addLayout(pathRow);
    return section;
}

QWidget *TFMain::BuildTestSection() {
    auto *section = new SectionFrame(this);
    auto *layout = new QHBoxLayout(section);
    layout->setContentsMargins(10, 4, 10, 4);
    layout->addWidget(SectionCaption(Utf8("2- Tester l'accès à la base de données :"), section));
    layout->addStretch(1);
    layout->addWidget(AddActionButton(new GradientButton(QStringLiteral("Tester"), kBlue, 120, section), "btnTest",
                                      &TFMain::btnTestClick));
    return section;
}

QWidget *TFMain::BuildCleaningSection() {
    auto *section = new SectionFrame(this);
    auto *layout = SectionLayout(section);
    auto *captionRow = new QHBoxLayout;
    captionRow->addWidget(SectionCaption(Utf8("3- Nettoyer la base de données :"), section));
    auto *optional = new QLabel(QStringLiteral("(optionnel)"), section);
    QFont italic = optional->font();
    italic.setItalic(true);
    optional->setFont(italic);
    captionRow->addWidget(optional);
    captionRow->addStretch(1);
    layout->addLayout(captionRow);

    auto *row = new QHBoxLayout;
    row->addWidget(
        AddActionButton(new GradientButton(Utf8("Supprimer les clients, animaux, dossiers médicaux, comptabilité..."),
                                           kRed, 190, section),
                        "btnDelete", &TFMain::btnDeleteClick));
    row->addWidget(
        AddActionButton(new GradientButton(Utf8("Supprimer uniquement la comptabilité..."), kOrange, 150, section),
                        "XiButton2", &TFMain::XiButton2Click));
    auto *exceptions = new QVBoxLayout;
    exceptions->addWidget(AddCheckBox("cbSaufRendezVous", QStringLiteral("sauf rdv"), section));
    exceptions->addWidget(AddCheckBox("cbSaufCompta", QStringLiteral("sauf compta"), section));
    row->addLayout(exceptions);
    row->addStretch(1);
    layout->addLayout(row);

    // Nothing the tool deletes or imports can be undone: a backup first, unless the technician says otherwise.
    auto *backupRow = new QHBoxLayout;
    QCheckBox *backup = AddCheckBox("cbSauvegardeAvant", Utf8("Sauvegarder la base avant"), section);
    backup->setToolTip(Utf8("Avant l'importation et avant toute suppression, une sauvegarde de la base (format gbak) "
                            "est écrite dans ce fichier. Pour revenir en arrière : gbak -c SAUVEGARDE.fbk "
                            "NOUVELLE_BASE, ou clinova-import restore --backup SAUVEGARDE.fbk --database "
                            "NOUVELLE_BASE."));
    backupRow->addWidget(backup);
    auto *backupPath = new QLineEdit(section);
    backupPath->setObjectName(QStringLiteral("edPathSauvegarde"));
    backupPath->setToolTip(backup->toolTip());
    backupRow->addWidget(backupPath, 1);
    layout->addLayout(backupRow);
    // An empty path means a file beside the database, named after it and the moment: the window shows which.
    const auto showDefault = [this, backupPath] {
        backupPath->setPlaceholderText(
            ToQString(DefaultBackupPath(FromQString(edPathNameDatabase_->text()), Now())));
    };
    connect(edPathNameDatabase_, &QLineEdit::textChanged, backupPath, showDefault);
    showDefault();
    return section;
}

QWidget *TFMain::BuildSourcesSection() {
    auto *section = new SectionFrame(this);
    auto *layout = SectionLayout(section);
    label4_ = SectionCaption(Utf8("4- Déterminer les fichiers normalisés à importer :"), section);
    label4_->setObjectName(QStringLiteral("Label4"));
    label4_->setToolTip(Utf8("Double-cliquer pour prendre le répertoire copié dans le presse-papiers"));
    label4_->installEventFilter(this);
    layout->addWidget(label4_);

    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(AddActionButton(
        new GradientButton(Utf8("Choisir le répertoire dans lequel se trouvent les fichiers à importer ..."), kBlue,
                           420, section),
        "btnSelectPathSources", &TFMain::btnSelectPathSourcesClick));
    btnCheckSources_ = AddActionButton(new GradientButton(Utf8("Vérifier les fichiers"), kTeal, 150, section),
                                       "btnCheckSources", &TFMain::btnCheckSourcesClick);
    btnCheckSources_->setToolTip(Utf8("Lit les fichiers cochés sans toucher à la base de données et signale "
                                      "les colonnes, valeurs et références qui poseraient problème"));
    buttonRow->addWidget(btnCheckSources_);
    layout->addLayout(buttonRow);

    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(new QLabel(Utf8("Répertoire contenant les fichiers normalisés :"), section));
    lbPathSources_ = new QLabel(QStringLiteral("?"), section);
    lbPathSources_->setObjectName(QStringLiteral("lbPathSources"));
    lbPathSources_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = lbPathSources_->font();
    bold.setBold(true);
    lbPathSources_->setFont(bold);
    lbPathSources_->setMinimumWidth(10);
    folderRow->addWidget(lbPathSources_, 1);
    layout->addLayout(folderRow);
    return section;
}

QWidget *TFMain::BuildImportSection() {
    auto *section = new SectionFrame(this);
    auto *layout = SectionLayout(section);
    auto *captionRow = new QHBoxLayout;
    captionRow->addWidget(SectionCaption(Utf8("5- Importer ces données dans la base, dans le site n° :"), section));
    captionRow->addWidget(SiteSpin("edIDSite", section));
    captionRow->addStretch(1);
    layout->addLayout(captionRow);

    auto *row = new QHBoxLayout;
    auto *files = new QGridLayout;
    files->setHorizontalSpacing(14);
    files->setVerticalSpacing(0);
    const auto &sources = SourceFiles();
    const int rows = static_cast<int>((sources.size() + 1) / 2);
    for (int i = 0; i < static_cast<int>(sources.size()); ++i)
        files->addWidget(AddCheckBox(sources[i].control, QLatin1String(sources[i].fileName), section), i % rows,
                         i / rows);
    row->addLayout(files);
    row->addStretch(1);
    btnImportation_ =
        AddActionButton(new GradientButton(QStringLiteral("Importer #dans#Clinova"), kGreen, 120, section),
                        "btnImportation", &TFMain::btnImportationClick);
    QFont large = btnImportation_->font();
    large.setPointSizeF(large.pointSizeF() * 1.35);
    btnImportation_->setFont(large);
    btnImportation_->setMinimumWidth(150);
    // Under the button: the import finishes the interrupted run of this folder from its journal instead.
    auto *button = new QVBoxLayout;
    button->addStretch(1);
    button->addWidget(btnImportation_, 0, Qt::AlignHCenter);
    QCheckBox *resume = AddCheckBox("cbReprise", Utf8("Reprendre l'importation interrompue"), section);
    resume->setToolTip(Utf8("Termine l'importation de ce dossier qui a été interrompue (panne, arrêt du serveur) "
                            "d'après son journal JOURNAL_IMPORTATION.TXT : ce qu'elle a validé n'est pas importé "
                            "une seconde fois"));
    button->addWidget(resume);
    btnRepetition_ = AddActionButton(new QPushButton(Utf8("Répétition (base jetable)"), section), "btnRepetition",
                                     &TFMain::btnRepetitionClick);
    btnRepetition_->setToolTip(Utf8("Importe tout dans une copie jetable de la base (sauvegarde, restauration, "
                                    "importation, rapport, suppression de la copie) : la base n'est pas modifiée, "
                                    "les fichiers écrits vont dans le dossier REPETITION"));
    button->addWidget(btnRepetition_, 0, Qt::AlignHCenter);
    button->addStretch(1);
    row->addLayout(button);
    layout->addLayout(row);
    return section;
}

QWidget *TFMain::BuildOptionsSection() {
    auto *section = new SectionFrame(this);
    auto *layout = new QHBoxLayout(section);
    layout->setContentsMargins(10, 4, 10, 4);
    layout->addWidget(SectionCaption(QStringLiteral("6- Options :"), section));
    layout->addStretch(1);
    auto *fillCities =
        new GradientButton(Utf8("Remplir la tables des villes (Mes préférences/Clients/Villes)"), kTeal, 480, section);
    fillCities->setObjectName(QStringLiteral("XiButton1"));
    fillCities->setAutoDefault(false);
    // The action asks its own question and opens its own connection with the settings of the window.
    connect(fillCities, &QPushButton::clicked, this, [this] {
        RunAction([this] {
            state_->options = ReadOptions();
            clinova::XiButton1Click(*state_);
        });
    });
    actionButtons_.push_back(fillCities);
    layout->addWidget(fillCities);
    return section;
}

// ---- the pages ------------------------------------------------------------------------------------------

QWidget *TFMain::BuildLogPage() {
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(Utf8("Résultats de la récupération :"), page));
    memo_ = new QPlainTextEdit(page);
    memo_->setObjectName(QStringLiteral("Memo"));
    memo_->setReadOnly(true);
    // Long lines wrap: nothing of the log is out of sight to the right.
    memo_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memo_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(memo_, 1);
    auto *saveRow = new QHBoxLayout;
    saveRow->addStretch(1);
    saveRow->addWidget(AddActionButton(new QPushButton(Utf8("Enregistrer le journal..."), page), "btnSaveLog",
                                       &TFMain::btnSaveLogClick));
    layout->addLayout(saveRow);

    layout->addWidget(new QLabel(QStringLiteral("IDUserClinova=IDUtilisateurSource[//commentaires]"), page));
    auto *users = new QPlainTextEdit(page);
    users->setObjectName(QStringLiteral("MemoCorrespondancesUtilisateurs"));
    users->setFixedHeight(110);
    users->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    layout->addWidget(users);
    return page;
}

QWidget *TFMain::BuildHelpPage() {
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    // The whole version, that of the packages; the header shows its build number only.
    auto *version = new QLabel(Utf8("ClinovaImportation, version ") + QStringLiteral(CLINOVA_VERSION), page);
    version->setObjectName(QStringLiteral("lbVersionOutil"));
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(version);
    auto *help = new QPlainTextEdit(page);
    help->setObjectName(QStringLiteral("Memo2"));
    help->setPlainText(Utf8("dédoublonable clients\n"
                            "comparaison NOM, PRENOM, CP, VILLE, et si un \n"
                            "des 3 numéros de téléphone est identique\n"
                            "\n"
                            "dédoublonable animaux\n"
                            "comparaison NOM, ESPECE"));
    layout->addWidget(help);
    return page;
}

QWidget *TFMain::BuildOptions1Page() {
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->setSpacing(8);

    auto *import = new QGroupBox(QStringLiteral("Importation"), page);
    auto *importLayout = new QGridLayout(import);
    importLayout->setVerticalSpacing(3);
    int row = 0;
    importLayout->addWidget(new QLabel(Utf8("ID_USER des consultations (1 si pas renseigné)"), import), row, 0);
    auto *defaultUser = new QLineEdit(import);
    defaultUser->setObjectName(QStringLiteral("edIDDefaultUser"));
    defaultUser->setFixedWidth(80);
    importLayout->addWidget(defaultUser, row++, 1);
    importLayout->addWidget(AddCheckBox("cbForceColor", QStringLiteral("force couleur client"), import), row, 0);
    panCouleur_ =
        AddActionButton(new QPushButton(QStringLiteral("couleur"), import), "panCouleur", &TFMain::panCouleurClick);
    panCouleur_->setFixedWidth(80);
    importLayout->addWidget(panCouleur_, row++, 1);
    // Short captions go two to a row.
    const auto addPair = [&](QGridLayout *grid, int at, const char *name1, const char *caption1, const char *name2,
                             const char *caption2, QWidget *parent) {
        grid->addWidget(AddCheckBox(name1, Utf8(caption1), parent), at, 0);
        grid->addWidget(AddCheckBox(name2, Utf8(caption2), parent), at, 1);
    };
    addPair(importLayout, row++, "cbDedoublonageClients", "dédoublonage clients", "cbDedoublonageAnimaux",
            "dédoublonage animaux", import);
    addPair(importLayout, row++, "cbDedoublonageConsult", "dédoublonage consult", "cbAjout", "Ajout consult", import);
    const std::pair<const char *, const char *> importOptions[] = {
        {"cbGarder_ID_CLIENT_du_logiciel_d_origine", "garder ID_CLIENT du logiciel d'origine"},
        {"cbGarder_ID_ANIMAL_du_logiciel_d_origine", "garder ID_ANIMAL du logiciel d'origine"},
        {"cbNePasCreerModelesRelances", "Ne pas créer les modèles de relances"},
        {"cbNePasConserverModelesEvent", "Ne pas conserver les modèles d'EVENEMENTS"},
    };
    for (const auto &[name, caption] : importOptions)
        importLayout->addWidget(AddCheckBox(name, Utf8(caption), import), row++, 0, 1, 2);
    importLayout->addWidget(
        AddCheckBox("cbSaufDataAvantLe", Utf8("Sauf les consultations/relances/events avant le"), import), row, 0);
    importLayout->addWidget(DatePicker("dateSaufDataAvantLe", import), row++, 1);
    layout->addWidget(import);

    auto *catchUp = new QGroupBox(Utf8("Import complémentaire"), page);
    auto *catchUpLayout = new QGridLayout(catchUp);
    catchUpLayout->setVerticalSpacing(3);
    row = 0;
    catchUpLayout->addWidget(AddCheckBox("cbModeRatrapage", QStringLiteral("Mode RATRAPAGE"), catchUp), row++, 0, 1, 2);
    catchUpLayout->addWidget(new QLabel(Utf8("path précédent import"), catchUp), row, 0);
    auto *previous = new QLineEdit(catchUp);
    previous->setObjectName(QStringLiteral("edPathIDPrecedentImport"));
    catchUpLayout->addWidget(previous, row++, 1);
    addPair(catchUpLayout, row++, "cbPasToucheAuxClients", "pas touche aux clients", "cbInjectionAutresAnimaux",
            "injection autres animaux", catchUp);
    addPair(catchUpLayout, row++, "cbInjectionAutresConsult", "Injection autres consult", "cbInjectionAutresEvent",
            "Events que des new animaux", catchUp);
    addPair(catchUpLayout, row++, "cbRelancesQueDesNewAnimaux", "Relances que des new animaux",
            "cbPoidsQuePourNewAnimaux", "Poids que pour new animaux", catchUp);
    catchUpLayout->addWidget(
        AddCheckBox("cbCommitParLigne", Utf8("valider chaque ligne séparément (plus lent)"), catchUp), row++, 0, 1, 2);
    catchUpLayout->addWidget(
        AddCheckBox("cbEnvoisGroupes", Utf8("grouper les envois au serveur (plus rapide en réseau)"), catchUp), row++,
        0, 1, 2);
    catchUpLayout->addWidget(
        AddCheckBox("cbFichiersUTF8", Utf8("Fichiers UTF-8 : les lire en UTF-8 et les convertir"), catchUp), row++, 0,
        1, 2);
    catchUpLayout->setColumnStretch(1, 1);
    layout->addWidget(catchUp);

    auto *tools = new QGroupBox(Utf8("Comptabilité et outils"), page);
    auto *toolsLayout = new QGridLayout(tools);
    toolsLayout->addWidget(
        AddActionButton(new GradientButton(Utf8("Supprimer uniquement la comptabilité...#jusqu'à une certaine date ..."
                                                "#Les pièces antérieures à la date sont supprimées, sauf celles"
                                                " liées à une pièce hors période."),
                                           kOrange, 270, tools),
                        "XiButton4", &TFMain::XiButton4Click),
        0, 0, 2, 1);
    toolsLayout->addWidget(new QLabel(Utf8("inférieur au :"), tools), 0, 1, Qt::AlignBottom);
    // The progress of the accounting purge.
    lbEtape_ = new QLabel(tools);
    lbEtape_->setObjectName(QStringLiteral("lbEtape"));
    toolsLayout->addWidget(lbEtape_, 4, 0, 1, 2);
    toolsLayout->addWidget(DatePicker("DateTimePicker", tools), 1, 1, Qt::AlignTop);
    toolsLayout->addWidget(
        AddActionButton(new QPushButton(Utf8("Générer le champ SYNTHESE pour toutes les consultations"), tools),
                        "Button1", &TFMain::Button1Click),
        2, 0, 1, 2);
    toolsLayout->addWidget(AddActionButton(new QPushButton(Utf8("générer les fichiers de test"), tools), "SpeedButton1",
                                           &TFMain::SpeedButton1Click),
                           3, 0, 1, 2);
    layout->addWidget(tools);

    // Settings kept at their defaults, not offered to the operator.
    AddCheckBox("cbRichViewMode", QStringLiteral("Consult en RichView Mode"), page)->hide();
    AddCheckBox("cdDeleteTropEspacesInConsult", QStringLiteral("eliminer trop espaces dans consul"), page)->hide();
    AddCheckBox("cbPourDemo", QStringLiteral("pour demo"), page)->hide();
    layout->addStretch(1);
    return page;
}

QWidget *TFMain::BuildOptions2Page() {
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    auto *row = new QHBoxLayout;
    row->addWidget(new QLabel(QStringLiteral("Supprimer la compta du site"), page));
    row->addWidget(SiteSpin("edIDSITECompta", page));
    row->addWidget(
        AddActionButton(new GradientButton(QStringLiteral("GO"), kRed, 60, page), "XiButton5", &TFMain::XiButton5Click));
    row->addWidget(AddActionButton(new GradientButton(QStringLiteral("GO S1"), kRed, 60, page), "XiButton6",
                                   &TFMain::XiButton6Click));
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);
    return page;
}

QCheckBox *TFMain::AddCheckBox(const char *name, const QString &caption, QWidget *parent) {
    auto *box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QPushButton *TFMain::AddActionButton(QPushButton *button, const char *name, void (TFMain::*action)()) {
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, action);
    actionButtons_.push_back(button);
    return button;
}

// ---- settings -------------------------------------------------------------------------------------------

ImportOptions TFMain::ReadOptions() const {
    ImportOptions options;
    for (const OptionControl &control : OptionControls()) {
        const QWidget *widget = findChild<QWidget *>(QLatin1String(control.name));
        if (!widget)
            continue;
        const auto *button = qobject_cast<const QAbstractButton *>(widget);
        switch (control.kind) {
        case OptionControl::Kind::Bool:
            if (button)
                options.*(control.boolField) = button->isChecked();
            break;
        case OptionControl::Kind::Text:
            options.*(control.textField) = FromQString(WidgetText(widget));
            break;
        case OptionControl::Kind::Date:
            if (const auto *edit = qobject_cast<const QDateEdit *>(widget)) {
                const QDate date = edit->date();
                options.*(control.dateField) = Date{date.year(), date.month(), date.day()};
            }
            break;
        case OptionControl::Kind::File:
            if (button)
                options.*(control.fileField) = FileCheckBox{button->isEnabledTo(this), button->isChecked()};
            break;
        }
    }
    return options;
}

void TFMain::WriteOptions(const ImportOptions &options) {
    for (const OptionControl &control : OptionControls()) {
        QWidget *widget = findChild<QWidget *>(QLatin1String(control.name));
        if (!widget)
            continue;
        auto *button = qobject_cast<QAbstractButton *>(widget);
        switch (control.kind) {
        case OptionControl::Kind::Bool:
            if (button)
                button->setChecked(options.*(control.boolField));
            break;
        case OptionControl::Kind::Text:
            SetWidgetText(widget, ToQString(options.*(control.textField)));
            break;
        case OptionControl::Kind::Date:
            if (auto *edit = qobject_cast<QDateEdit *>(widget)) {
                const Date &date = options.*(control.dateField);
                edit->setDate(QDate(date.year, date.month, date.day));
            }
            break;
        case OptionControl::Kind::File:
            if (button) {
                const FileCheckBox &box = options.*(control.fileField);
                button->setChecked(box.checked);
                button->setEnabled(box.enabled);
            }
            break;
        }
    }
    ShowColour();
}

void TFMain::ShowColour() {
    // The caption holds the chosen colour as a number (red in the low byte); the button shows it too.
    bool number = false;
    const uint value = panCouleur_->text().toUInt(&number);
    if (number)
        panCouleur_->setStyleSheet(QStringLiteral("QPushButton { background: %1; color: %2; }")
                                       .arg(QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff).name(),
                                            qGray(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff) < 128
                                                ? QStringLiteral("white")
                                                : QStringLiteral("black")));
    else
        panCouleur_->setStyleSheet(QString());
}

// ---- actions --------------------------------------------------------------------------------------------

void TFMain::RunAction(const std::function<void()> &action) {
    if (busy_)
        return;
    // The button that started the action has the keyboard again once the buttons are enabled again.
    const FocusKeeper focus;
    busy_ = true;
    UpdateActionButtons();
    try {
        action();
    } catch (const std::exception &e) {
        operator_->ShowMessage(e.what());
    } catch (...) {
        operator_->ShowMessage(FromQString(Utf8("Erreur inattendue")));
    }
    // An action that ended early must not leave the please-wait window on the screen.
    waitWindow_->hide();
    busy_ = false;
    UpdateActionButtons();
}

void TFMain::UpdateActionButtons() {
    for (QPushButton *button : actionButtons_)
        button->setEnabled(!busy_ && ((button != btnImportation_ && button != btnCheckSources_ &&
                                       button != btnRepetition_) ||
                                      sourcesScanned_));
}

bool TFMain::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseButtonDblClick) {
        if (watched == label1_) {
            Label1DblClick();
            return true;
        }
        if (watched == label4_) {
            Label4DblClick();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFMain::closeEvent(QCloseEvent *event) {
    // The running action works on this window's state: it must end (or be interrupted) first.
    if (busy_)
        event->ignore();
    else
        QWidget::closeEvent(event);
}

void TFMain::btnChangePathClick() {
    RunAction([this] {
        QFileDialog dialog(this, Utf8("Base de données de Clinova"));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        // The path is the one the server sees: it need not exist on this computer.
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("cn2"));
        dialog.setNameFilters({Utf8("Bases de données Clinova (*.cn2 *.CN2)"), Utf8("Tous les fichiers (*)")});
        // The path may be written the Windows way (the usual one is) whatever the system that runs the tool.
        const QFileInfo current(QString(edPathNameDatabase_->text()).replace(QLatin1Char('\\'), QLatin1Char('/')));
        if (current.absoluteDir().exists())
            dialog.setDirectory(current.absoluteDir());
        dialog.selectFile(current.fileName());
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            edPathNameDatabase_->setText(QDir::toNativeSeparators(dialog.selectedFiles().constFirst()));
    });
}

void TFMain::Label1DblClick() {
    if (busy_)
        return;
    const QString usual = ToQString(ImportOptions{}.edPathNameDatabase);
    edPathNameDatabase_->setText(edPathNameDatabase_->text() != usual ? usual : QLatin1String(kOtherDatabasePath));
}

void TFMain::btnTestClick() {
    RunAction([this] {
        state_->options = ReadOptions();
        clinova::btnTestClick(*state_);
    });
}

void TFMain::btnSelectPathSourcesClick() {
    RunAction([this] {
        const QString start = state_->PathSources.empty() ? QDir::homePath() : ToQString(state_->PathSources);
        const QString folder = QFileDialog::getExistingDirectory(
            this, Utf8("Choisir le répertoire dans lequel se trouvent les fichiers à importer"), start);
        if (!folder.isEmpty())
            ScanFolder(QDir::toNativeSeparators(folder));
    });
}

void TFMain::Label4DblClick() {
    RunAction([this] { ScanFolder(QGuiApplication::clipboard()->text()); });
}

void TFMain::ScanSourceFolder(const QString &folder) {
    RunAction([this, folder] { ScanFolder(folder); });
}

void TFMain::ScanFolder(const QString &folder) {
    state_->options = ReadOptions();
    clinova::ScanSourceFolder(*state_, FromQString(folder));
    for (const SourceFile &file : SourceFiles()) {
        auto *box = findChild<QCheckBox *>(QLatin1String(file.control));
        const FileCheckBox &offered = state_->options.*(file.box);
        box->setChecked(offered.checked);
        box->setEnabled(offered.enabled);
    }
    // A long path is shortened in its middle to fit the window; the tooltip holds it whole.
    const QString path = ToQString(state_->PathSources);
    const int room = std::max(lbPathSources_->width(), 100);
    lbPathSources_->setText(lbPathSources_->fontMetrics().elidedText(path, Qt::ElideMiddle, room));
    lbPathSources_->setToolTip(path);
    sourcesScanned_ = true;
}

void TFMain::btnCheckSourcesClick() {
    RunAction([this] {
        state_->options = ReadOptions();
        const PreflightResult result = CheckSourceFolder(*operator_, state_->PathSources, state_->options);
        results_->ShowCheck(result);
        ShowResults();
    });
}

void TFMain::btnImportationClick() {
    RunAction([this] {
        state_->options = ReadOptions();
        state_->repeat = RepeatPolicy::Ask;
        auto *resume = findChild<QCheckBox *>(QStringLiteral("cbReprise"));
        for (;;) {
            results_->hide();
            const RunOutcome outcome = clinova::btnImportationClick(*state_);
            // The box follows the folder: ticked while the run the operator chose to finish is unfinished,
            // unticked once it went to its end.
            const bool unfinished = ResumableImportIn(state_->PathSources);
            resume->setChecked(state_->options.cbReprise && unfinished);
            // Also after an error that ended the run: what the steps before it did is shown.
            if (!state_->summaries.empty()) {
                results_->ShowImport(state_->summaries, state_->writtenFiles, state_->PathSources, state_->backupWritten);
                ShowResults();
            }
            if ((outcome != RunOutcome::Interrupted && outcome != RunOutcome::Failed) || !unfinished ||
                operator_->AskConfirmation(FromQString(Utf8("Reprendre l'importation interrompue ?")), 2, mbOui,
                                           mbNon) != mbOui)
                break;
            resume->setChecked(true);
            state_->options = ReadOptions();
        }
    });
}

void TFMain::btnRepetitionClick() {
    RunAction([this] {
        state_->options = ReadOptions();
        results_->hide();
        RehearseImport(*state_);
        if (!state_->summaries.empty()) {
            results_->ShowImport(state_->summaries, state_->writtenFiles, state_->PathSources, state_->backupWritten);
            ShowResults();
        }
    });
}

void TFMain::ShowResults() {
    results_->show();
    results_->raise();
    results_->activateWindow();
}

void TFMain::panCouleurClick() {
    RunAction([this] {
        bool number = false;
        const uint value = panCouleur_->text().toUInt(&number);
        const QColor initial =
            number ? QColor(value & 0xff, (value >> 8) & 0xff, (value >> 16) & 0xff) : QColor(Qt::white);
        const QColor chosen = QColorDialog::getColor(initial, this, QStringLiteral("Couleur des clients"));
        if (!chosen.isValid())
            return;
        panCouleur_->setText(QString::number(chosen.red() | (chosen.green() << 8) | (chosen.blue() << 16)));
        ShowColour();
    });
}

void TFMain::btnWebClick() {
    RunAction([] { QDesktopServices::openUrl(QUrl(QStringLiteral(CLINOVA_DOCUMENTATION_URL))); });
}

void TFMain::SpeedButton1Click() {
    RunAction([this] {
        const QString usual = QStringLiteral("E:\\Test");
        const QString start = QDir(usual).exists() ? usual : QDir::homePath();
        const QString folder = QFileDialog::getExistingDirectory(
            this, Utf8("Répertoire où écrire les fichiers de test (CLIENTS.TXT, ANIMAUX.TXT, CONSULTATIONS.TXT)"),
            start);
        if (!folder.isEmpty())
            GenerateTestFiles(FromQString(QDir::toNativeSeparators(folder)));
    });
}

// The cleaning actions ask their own questions and open their own connection.
void TFMain::btnDeleteClick() {
    RunAction([this] {
        state_->options = ReadOptions();
        EmptyTables(*state_, true);
    });
}

void TFMain::XiButton2Click() {
    RunAction([this] {
        state_->options = ReadOptions();
        EmptyTables(*state_, false);
    });
}

void TFMain::XiButton4Click() {
    RunAction([this] {
        state_->options = ReadOptions();
        clinova::XiButton4Click(*state_, [this](const std::string &text) {
            lbEtape_->setText(ToQString(text));
            operator_->ProcessPendingMessages();
        });
    });
}

void TFMain::XiButton5Click() {
    RunAction([this] {
        state_->options = ReadOptions();
        clinova::XiButton5Click(*state_);
    });
}

void TFMain::XiButton6Click() {
    RunAction([this] {
        state_->options = ReadOptions();
        clinova::XiButton6Click(*state_);
    });
}

void TFMain::Button1Click() {
    RunAction([this] {
        state_->options = ReadOptions();
        clinova::Button1Click(*state_);
    });
}

void TFMain::btnSaveLogClick() {
    RunAction([this] {
        const QString folder = state_->PathSources.empty() ? QDir::homePath() : ToQString(state_->PathSources);
        const QString path = QFileDialog::getSaveFileName(this, Utf8("Enregistrer le journal"),
                                                          QDir(folder).filePath(QStringLiteral("journal.txt")),
                                                          Utf8("Fichiers texte (*.txt);;Tous les fichiers (*)"));
        if (!path.isEmpty())
            SaveLog(path);
    });
}

void TFMain::SaveLog(const QString &path) const {
    // Written whole or not at all: an earlier log of that name is never left half replaced.
    QSaveFile file(path);
    QString text = memo_->toPlainText();
    if (!text.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(text.toUtf8()) < 0 || !file.commit())
        throw FileError(FromQString(Utf8("Impossible d'enregistrer le journal dans ") + QDir::toNativeSeparators(path) +
                                    QStringLiteral(" : ") + file.errorString()));
}

} // namespace clinova
