// The pages on the right of the main window: "Log", "Aide", "Options 1" and "Options 2".
#include "gui/TFMain.h"

#include "gui/GradientButton.h"
#include "gui/MainWindowParts.h"
#include "gui/WrappingCheckBox.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <utility>

namespace clinova {

using namespace window;

namespace {

// The options of "Options 1": their captions wrap when the page is narrow.
QCheckBox *OptionBox(const char *name, const QString &caption, QWidget *parent) {
    auto *box = new WrappingCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

QLabel *WrappingLabel(const QString &caption, QWidget *parent) {
    auto *label = new QLabel(caption, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

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
    // The page narrows with the window (a laptop's screen at 125 %): the captions wrap rather than scroll sideways.
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    layout->setSpacing(8);

    auto *import = new QGroupBox(QStringLiteral("Importation"), page);
    auto *importLayout = new QGridLayout(import);
    importLayout->setVerticalSpacing(3);
    int row = 0;
    importLayout->addWidget(WrappingLabel(Utf8("ID_USER des consultations (1 si pas renseigné)"), import), row, 0);
    auto *defaultUser = new QLineEdit(import);
    defaultUser->setObjectName(QStringLiteral("edIDDefaultUser"));
    defaultUser->setFixedWidth(80);
    importLayout->addWidget(defaultUser, row++, 1);
    importLayout->addWidget(OptionBox("cbForceColor", QStringLiteral("force couleur client"), import), row, 0);
    panCouleur_ =
        AddActionButton(new QPushButton(QStringLiteral("couleur"), import), "panCouleur", &TFMain::panCouleurClick);
    panCouleur_->setFixedWidth(80);
    importLayout->addWidget(panCouleur_, row++, 1);
    // Short captions go two to a row.
    const auto addPair = [&](QGridLayout *grid, int at, const char *name1, const char *caption1, const char *name2,
                             const char *caption2, QWidget *parent) {
        grid->addWidget(OptionBox(name1, Utf8(caption1), parent), at, 0);
        grid->addWidget(OptionBox(name2, Utf8(caption2), parent), at, 1);
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
        importLayout->addWidget(OptionBox(name, Utf8(caption), import), row++, 0, 1, 2);
    importLayout->addWidget(
        OptionBox("cbSaufDataAvantLe", Utf8("Sauf les consultations/relances/events avant le"), import), row, 0);
    importLayout->addWidget(DatePicker("dateSaufDataAvantLe", import), row++, 1);
    layout->addWidget(import);

    auto *catchUp = new QGroupBox(Utf8("Import complémentaire"), page);
    auto *catchUpLayout = new QGridLayout(catchUp);
    catchUpLayout->setVerticalSpacing(3);
    row = 0;
    catchUpLayout->addWidget(OptionBox("cbModeRatrapage", QStringLiteral("Mode RATRAPAGE"), catchUp), row++, 0, 1, 2);
    catchUpLayout->addWidget(WrappingLabel(Utf8("path précédent import"), catchUp), row, 0);
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
        OptionBox("cbCommitParLigne", Utf8("valider chaque ligne séparément (plus lent)"), catchUp), row++, 0, 1, 2);
    catchUpLayout->addWidget(
        OptionBox("cbEnvoisGroupes", Utf8("grouper les envois au serveur (plus rapide en réseau)"), catchUp), row++,
        0, 1, 2);
    catchUpLayout->addWidget(
        OptionBox("cbFichiersUTF8", Utf8("Fichiers UTF-8 : les lire en UTF-8 et les convertir"), catchUp), row++, 0,
        1, 2);
    catchUpLayout->setColumnStretch(1, 1);
    layout->addWidget(catchUp);

    auto *tools = new QGroupBox(Utf8("Comptabilité et outils"), page);
    auto *toolsLayout = new QGridLayout(tools);
    toolsLayout->addWidget(
        AddActionButton(new GradientButton(Utf8("Supprimer uniquement la comptabilité...#jusqu'à une certaine date ..."
                                                "#Les pièces antérieures à la date sont supprimées, sauf celles"
                                                " liées à une pièce hors période."),
                                           kOrange, 230, tools),
                        "XiButton4"),
        0, 0, 1, 2, Qt::AlignLeft);
    // The day of the purge under its button, so that the two need not share a row.
    auto *before = new QHBoxLayout;
    before->addWidget(new QLabel(Utf8("inférieur au :"), tools));
    before->addWidget(DatePicker("DateTimePicker", tools));
    before->addStretch(1);
    toolsLayout->addLayout(before, 1, 0, 1, 2);
    toolsLayout->addWidget(
        AddActionButton(new GradientButton(Utf8("Générer le champ SYNTHESE pour toutes les consultations"), kBlue, 230,
                                           tools),
                        "Button1"),
        2, 0, 1, 2, Qt::AlignLeft);
    toolsLayout->addWidget(AddActionButton(new QPushButton(Utf8("générer les fichiers de test"), tools), "SpeedButton1",
                                           &TFMain::SpeedButton1Click),
                           3, 0, 1, 2, Qt::AlignLeft);
    // The progress of the accounting purge.
    lbEtape_ = new QLabel(tools);
    lbEtape_->setObjectName(QStringLiteral("lbEtape"));
    lbEtape_->setWordWrap(true);
    toolsLayout->addWidget(lbEtape_, 4, 0, 1, 2);
    toolsLayout->setColumnStretch(1, 1);
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
    row->addWidget(AddActionButton(new GradientButton(QStringLiteral("GO"), kRed, 60, page), "XiButton5"));
    row->addWidget(AddActionButton(new GradientButton(QStringLiteral("GO S1"), kRed, 60, page), "XiButton6"));
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);
    return page;
}

} // namespace clinova
