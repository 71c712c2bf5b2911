// The left column of the main window: the header and the six numbered sections, top to bottom.
#include "gui/TFMain.h"

#include "app/DatabaseActions.h"
#include "gui/AddressParts.h"
#include "gui/DocumentationUrl.h"
#include "gui/GradientButton.h"
#include "gui/MainWindowParts.h"
#include "gui/QtText.h"
#include "import/ImportSteps.h"
#include "normalized/DateTime.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <array>

namespace clinova {

using namespace window;

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
    layout->addWidget(AddActionButton(new GradientButton(QStringLiteral("Tester"), kBlue, 120, section), "btnTest"));
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
                        "btnDelete"));
    row->addWidget(
        AddActionButton(new GradientButton(Utf8("Supprimer uniquement la comptabilité..."), kOrange, 150, section),
                        "XiButton2"));
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
    layout->addWidget(AddActionButton(
        new GradientButton(Utf8("Remplir la tables des villes (Mes préférences/Clients/Villes)"), kTeal, 480, section),
        "XiButton1"));
    return section;
}

} // namespace clinova
