#include "gui/ResultsWindow.h"

#include "app/RunSummary.h"
#include "gui/QtText.h"
#include "run/MigrationReport.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace clinova {

namespace {

const QColor kWarnInk(0xa4, 0x2e, 0x12);

QString Utf8(const char *text) {
    return QString::fromUtf8(text);
}

QTableWidgetItem *Cell(const QString &text, Qt::Alignment alignment) {
    auto *item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

} // namespace

ResultsWindow::ResultsWindow(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      opener_([](const QUrl &url) { return QDesktopServices::openUrl(url); }) {
    setObjectName(QStringLiteral("FResultats"));
    setModal(false);
    setSizeGripEnabled(true);

    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("lbTitreResultats"));
    QFont bold = title_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    title_->setFont(bold);

    table_ = new QTableWidget(this);
    table_->setObjectName(QStringLiteral("tblResultats"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setAlternatingRowColors(true);
    table_->verticalHeader()->hide();
    // Rows as tight as the text allows: a practice's fifteen files and the total show without scrolling.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    table_->horizontalHeader()->setHighlightSections(false);
    table_->setWordWrap(false);

    filesCaption_ = new QLabel(this);
    filesCaption_->setObjectName(QStringLiteral("lbFichiersEcrits"));
    filesCaption_->setWordWrap(true);
    filesCaption_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    filesBox_ = new QWidget(this);
    filesLayout_ = new QGridLayout(filesBox_);
    filesLayout_->setContentsMargins(0, 0, 0, 0);
    filesLayout_->setHorizontalSpacing(8);
    filesLayout_->setVerticalSpacing(3);
    filesLayout_->setColumnStretch(0, 1);
    filesScroll_ = new QScrollArea(this);
    filesScroll_->setObjectName(QStringLiteral("ScrollFichiersEcrits"));
    filesScroll_->setWidget(filesBox_);
    filesScroll_->setWidgetResizable(true);
    filesScroll_->setFrameShape(QFrame::NoFrame);
    filesScroll_->setMaximumHeight(6 * (fontMetrics().height() + 14));

    auto *close = new QPushButton(QStringLiteral("Fermer"), this);
    close->setObjectName(QStringLiteral("btnFermer"));
    close->setAutoDefault(false);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    reportButton_ = new QPushButton(QStringLiteral("Ouvrir le rapport"), this);
    reportButton_->setObjectName(QStringLiteral("btnOuvrirRapport"));
    reportButton_->setAutoDefault(false);
    reportButton_->setEnabled(false);
    connect(reportButton_, &QPushButton::clicked, this, [this] { Open(report_, false); });
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(reportButton_);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(table_, 1);
    layout->addWidget(filesCaption_);
    layout->addWidget(filesScroll_);
    layout->addLayout(buttons);
}

void ResultsWindow::ShowImport(const std::vector<StepSummary> &summaries, const std::vector<std::string> &writtenFiles,
                               const std::string &sourceFolder) {
    const std::vector<SummaryColumn> shown = ShownSummaryColumns(summaries);
    QStringList columns;
    for (const SummaryColumn &column : shown)
        columns << Utf8(column.plural);
    columns << Utf8("durée");

    const auto rowOf = [&shown](const StepSummary &summary, bool total) {
        Row row;
        row.name = ToQString(summary.fileName);
        row.total = total;
        row.mark = ToQString(SummaryMark(summary));
        row.warn = summary.Incomplete() || summary.interrupted;
        if (!summary.missingColumns && summary.leftAside.empty()) {
            for (const SummaryColumn &column : shown)
                row.cells << QString::number(summary.*(column.count));
            row.cells << ToQString(DurationText(summary.seconds));
        }
        return row;
    };
    std::vector<Row> rows;
    bool interrupted = false;
    for (const StepSummary &summary : summaries) {
        rows.push_back(rowOf(summary, false));
        interrupted = interrupted || summary.interrupted;
    }
    StepSummary total = SummaryTotal(summaries);
    total.interrupted = false;
    rows.push_back(rowOf(total, true));

    Fill(interrupted ? Utf8("Résultats de l'importation : interrompue") : Utf8("Résultats de l'importation"), columns,
         rows);
    QStringList files;
    for (const std::string &path : writtenFiles)
        files << ToQString(path);
    ListFiles(files, ToQString(sourceFolder));
    setWindowTitle(title_->text());
    FitToScreen();
}

void ResultsWindow::ShowCheck(const PreflightResult &result) {
    std::vector<Row> rows;
    Row total;
    total.name = QStringLiteral("Total");
    total.total = true;
    int read = 0;
    int withProblems = 0;
    int fileProblems = 0;
    for (const PreflightCount &count : result.files) {
        Row row;
        row.name = ToQString(count.fileName);
        row.cells << QString::number(count.read) << QString::number(count.withProblems)
                  << QString::number(count.fileProblems);
        row.warn = count.withProblems > 0 || count.fileProblems > 0;
        rows.push_back(row);
        read += count.read;
        withProblems += count.withProblems;
        fileProblems += count.fileProblems;
    }
    if (result.interrupted && !rows.empty()) {
        rows.back().mark = QStringLiteral("interrompu");
        rows.back().warn = true;
    }
    total.cells << QString::number(read) << QString::number(withProblems) << QString::number(fileProblems);
    rows.push_back(total);

    Fill(result.interrupted ? Utf8("Résultats de la vérification : interrompue") : Utf8("Résultats de la vérification"),
         {QStringLiteral("lues"), Utf8("à corriger"), Utf8("problèmes de fichier")}, rows);
    QStringList files;
    if (!result.report.empty())
        files << ToQString(result.report);
    ListFiles(files, files.isEmpty() ? QString() : QFileInfo(files.front()).absolutePath() + QLatin1Char('/'));
    setWindowTitle(title_->text());
    FitToScreen();
}

void ResultsWindow::Fill(const QString &title, const QStringList &columns, const std::vector<Row> &rows) {
    title_->setText(title);
    table_->clear();
    table_->setColumnCount(static_cast<int>(columns.size()) + 2);
    table_->setRowCount(static_cast<int>(rows.size()));
    QStringList headers;
    headers << QStringLiteral("Fichier") << columns << QStringLiteral("remarque");
    table_->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const Row &row = rows[static_cast<std::size_t>(r)];
        table_->setItem(r, 0, Cell(row.name, Qt::AlignLeft));
        for (int c = 0; c < static_cast<int>(columns.size()); ++c)
            table_->setItem(r, c + 1, Cell(c < row.cells.size() ? row.cells[c] : QString(), Qt::AlignRight));
        table_->setItem(r, static_cast<int>(columns.size()) + 1, Cell(row.mark, Qt::AlignLeft));
        for (int c = 0; c < table_->columnCount(); ++c) {
            QTableWidgetItem *item = table_->item(r, c);
            if (row.total) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
            }
            if (row.warn && (c == 0 || c == table_->columnCount() - 1))
                item->setForeground(kWarnInk);
        }
    }
    table_->resizeColumnsToContents();
    table_->horizontalHeader()->setStretchLastSection(true);
}

void ResultsWindow::ListFiles(const QStringList &files, const QString &folder) {
    files_ = files;
    const auto report = std::find_if(files.begin(), files.end(), [](const QString &path) {
        return QFileInfo(path).fileName() == QLatin1String(ReportFileName());
    });
    report_ = report == files.end() ? QString() : *report;
    reportButton_->setEnabled(!report_.isEmpty());
    openButtons_.clear();
    folderButtons_.clear();
    while (QLayoutItem *item = filesLayout_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (files.isEmpty()) {
        filesCaption_->setText(Utf8("Aucun fichier écrit."));
        filesScroll_->hide();
        return;
    }
    filesScroll_->show();
    filesCaption_->setText(Utf8("Fichiers écrits dans %1 :").arg(QDir::toNativeSeparators(folder)));
    const QString prefix = folder;
    for (int i = 0; i < files.size(); ++i) {
        const QString &path = files[i];
        auto *name =
            new QLabel(path.startsWith(prefix) && !prefix.isEmpty() ? path.mid(prefix.size()) : path, filesBox_);
        name->setToolTip(QDir::toNativeSeparators(path));
        name->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto *open = new QPushButton(QStringLiteral("Ouvrir"), filesBox_);
        open->setObjectName(QStringLiteral("btnOuvrir%1").arg(i + 1));
        open->setAutoDefault(false);
        connect(open, &QPushButton::clicked, this, [this, path] { Open(path, false); });
        auto *folderButton = new QPushButton(QStringLiteral("Ouvrir le dossier"), filesBox_);
        folderButton->setObjectName(QStringLiteral("btnDossier%1").arg(i + 1));
        folderButton->setAutoDefault(false);
        connect(folderButton, &QPushButton::clicked, this, [this, path] { Open(path, true); });
        filesLayout_->addWidget(name, i, 0);
        filesLayout_->addWidget(open, i, 1);
        filesLayout_->addWidget(folderButton, i, 2);
        openButtons_.push_back(open);
        folderButtons_.push_back(folderButton);
    }
}

QPushButton *ResultsWindow::OpenButton(int file) const {
    return file >= 0 && file < static_cast<int>(openButtons_.size()) ? openButtons_[static_cast<std::size_t>(file)]
                                                                     : nullptr;
}

QPushButton *ResultsWindow::FolderButton(int file) const {
    return file >= 0 && file < static_cast<int>(folderButtons_.size()) ? folderButtons_[static_cast<std::size_t>(file)]
                                                                       : nullptr;
}

void ResultsWindow::Open(const QString &path, bool folder) {
    const QString local = QDir::fromNativeSeparators(path);
    const QString target = folder ? QFileInfo(local).absolutePath() : local;
    if (!opener_(QUrl::fromLocalFile(target)))
        QMessageBox::warning(this, QCoreApplication::applicationName(),
                             Utf8("Impossible d'ouvrir %1").arg(QDir::toNativeSeparators(target)));
}

void ResultsWindow::FitToScreen() {
    // As wide as the table's columns and as tall as its rows, within the screen.
    int tableWidth = table_->frameWidth() * 2 + table_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < table_->columnCount(); ++c)
        tableWidth += table_->columnWidth(c);
    int tableHeight = table_->frameWidth() * 2 + table_->horizontalHeader()->sizeHint().height();
    for (int r = 0; r < table_->rowCount(); ++r)
        tableHeight += table_->rowHeight(r);
    const QSize hint = sizeHint();
    const QSize wanted(std::max(hint.width(), hint.width() - table_->sizeHint().width() + tableWidth),
                       hint.height() - table_->sizeHint().height() + tableHeight);

    QWidget *over = parentWidget() ? parentWidget()->window() : nullptr;
    QScreen *screen = over ? over->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        resize(wanted);
        return;
    }
    const QRect room = screen->availableGeometry();
    // Room for the frame and title bar the window system adds.
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight) + 8;
    resize(std::min(wanted.width(), room.width() - 16), std::min(wanted.height(), room.height() - titleBar - 16));
    QRect placed(QPoint(), size());
    placed.moveCenter(over ? over->frameGeometry().center() : room.center());
    placed.moveLeft(
        std::clamp(placed.left(), room.left() + 8, std::max(room.left() + 8, room.right() - 8 - placed.width())));
    placed.moveTop(std::clamp(placed.top(), room.top() + titleBar,
                              std::max(room.top() + titleBar, room.bottom() - 8 - placed.height())));
    move(placed.topLeft());
}

} // namespace clinova
