#include "gui/ResultsWindow.h"

#include "app/ImportJournal.h"
#include "app/RunSummary.h"
#include "gui/QtText.h"
#include "import/ImportSteps.h"
#include "run/MigrationReport.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileDialog>
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

// A file's name that opens it on a double-click.
class FileName final : public QLabel {
public:
    FileName(const QString &text, QWidget *parent, std::function<void()> open)
        : QLabel(text, parent), open_(std::move(open)) {}

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override {
        QLabel::mouseDoubleClickEvent(event);
        open_();
    }

private:
    std::function<void()> open_;
};

// The files the technician looks at first: the lines that failed, were warned or left aside, and the duplicates,
// in that order; then the others; last, folded, the correspondence lists and the journal.
int Rank(const QString &path) {
    const QString name = QFileInfo(path).fileName();
    const char *const first[] = {"REJETS_", "AVERTISSEMENTS_", "IGNOREES_", "DOUBLONS_"};
    for (int k = 0; k < 4; ++k)
        if (name.startsWith(QLatin1String(first[k])))
            return k;
    if (name.startsWith(QLatin1String("__")) || name == ToQString(JournalFileName()))
        return 5;
    return 4;
}

// "12,4 Mo", "830 ko", "512 octets".
QString SizeText(qint64 bytes) {
    if (bytes < 1024)
        return QStringLiteral("%1 octets").arg(bytes);
    const double kilo = bytes / 1024.0;
    if (kilo < 1024)
        return QStringLiteral("%1 ko").arg(QString::number(kilo, 'f', 0));
    const double mega = kilo / 1024.0;
    QString text = mega < 1024 ? QString::number(mega, 'f', 1) + QStringLiteral(" Mo")
                               : QString::number(mega / 1024.0, 'f', 2) + QStringLiteral(" Go");
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

// The rows as text, their columns padded to their widest cell.
QString TableText(const QStringList &headers, const std::vector<QStringList> &rows) {
    std::vector<qsizetype> widths(static_cast<std::size_t>(headers.size()), 0);
    const auto measure = [&](const QStringList &row) {
        for (qsizetype c = 0; c < row.size() && c < headers.size(); ++c)
            widths[static_cast<std::size_t>(c)] = std::max(widths[static_cast<std::size_t>(c)], row[c].size());
    };
    measure(headers);
    for (const QStringList &row : rows)
        measure(row);
    QString text;
    const auto line = [&](const QStringList &row) {
        QString out;
        for (qsizetype c = 0; c < row.size() && c < headers.size(); ++c) {
            const int width = static_cast<int>(widths[static_cast<std::size_t>(c)]);
            out += (c ? QStringLiteral("  ") : QString()) + (c >= 2 && c + 1 < headers.size() ? row[c].rightJustified(width)
                                                                                                 : row[c].leftJustified(width));
        }
        text += out.trimmed() + QLatin1Char('\n');
    };
    line(headers);
    for (const QStringList &row : rows)
        line(row);
    return text;
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
    // A double-click on a file's row opens its rejects, when it has some.
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        const QTableWidgetItem *item = table_->item(row, 0);
        if (!item)
            return;
        for (const QString &path : files_)
            if (QFileInfo(path).fileName() == QStringLiteral("REJETS_") + item->text())
                Open(path, false);
    });

    // The total, under the rows and as wide as their columns: in view however many rows scroll.
    total_ = new QTableWidget(this);
    total_->setObjectName(QStringLiteral("tblTotal"));
    total_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    total_->setSelectionMode(QAbstractItemView::NoSelection);
    total_->verticalHeader()->hide();
    total_->horizontalHeader()->hide();
    total_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    total_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    total_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    total_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    total_->setFixedHeight(total_->verticalHeader()->defaultSectionSize() + 2 * total_->frameWidth());
    total_->setFocusPolicy(Qt::NoFocus);
    connect(table_->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { total_->setColumnWidth(column, width); });
    connect(table_->horizontalScrollBar(), &QScrollBar::valueChanged, total_->horizontalScrollBar(),
            &QScrollBar::setValue);

    backup_ = new QLabel(this);
    backup_->setObjectName(QStringLiteral("lbSauvegarde"));
    backup_->setWordWrap(true);
    backup_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    backup_->hide();

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
    saveButton_ = new QPushButton(QStringLiteral("Enregistrer"), this);
    saveButton_->setObjectName(QStringLiteral("btnEnregistrer"));
    saveButton_->setAutoDefault(false);
    saveButton_->setToolTip(Utf8("Enregistrer ces résultats dans un fichier texte"));
    connect(saveButton_, &QPushButton::clicked, this, &ResultsWindow::Save);
    saveChooser_ = [this](const QString &proposed) {
        return QFileDialog::getSaveFileName(this, Utf8("Enregistrer les résultats"), proposed,
                                            Utf8("Texte (*.txt)"));
    };
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(reportButton_);
    buttons->addWidget(saveButton_);
    buttons->addStretch(1);
    buttons->addWidget(close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(backup_);
    auto *tables = new QVBoxLayout;
    tables->setSpacing(0);
    tables->addWidget(table_, 1);
    tables->addWidget(total_);
    layout->addLayout(tables, 1);
    layout->addWidget(filesCaption_);
    layout->addWidget(filesScroll_);
    layout->addLayout(buttons);
}

void ResultsWindow::ShowImport(const std::vector<StepSummary> &summaries, const std::vector<std::string> &writtenFiles,
                               const std::string &sourceFolder, const std::string &backup) {
    const std::vector<SummaryColumn> shown = ShownSummaryColumns(summaries);
    QStringList columns{Utf8("données")};
    for (const SummaryColumn &column : shown)
        columns << Utf8(column.plural);
    columns << Utf8("durée");

    const auto rowOf = [&shown](const StepSummary &summary, bool total) {
        Row row;
        row.name = ToQString(summary.fileName);
        row.total = total;
        row.mark = ToQString(SummaryMark(summary));
        row.warn = summary.Incomplete() || summary.interrupted;
        row.cells << (total ? QString() : ToQString(StepLabelOf(summary.fileName)));
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

    // The file the backup went to, as written (the setting may name another), with its size when this computer
    // sees it.
    if (backup.empty()) {
        backup_->hide();
        backup_->clear();
    } else {
        const QString path = QDir::toNativeSeparators(ToQString(backup));
        const QFileInfo file(ToQString(backup));
        backup_->setText(Utf8("Sauvegarde de la base avant l'importation : %1 (%2)")
                             .arg(path, file.isFile() ? SizeText(file.size()) : Utf8("sur le serveur")));
        backup_->show();
    }
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
    backup_->hide();
    backup_->clear();
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
    for (const std::string &path : result.writtenFiles)
        files << ToQString(path);
    ListFiles(files, files.isEmpty() ? QString() : QFileInfo(files.front()).absolutePath() + QLatin1Char('/'));
    setWindowTitle(title_->text());
    FitToScreen();
}

void ResultsWindow::Fill(const QString &title, const QStringList &columns, const std::vector<Row> &rows) {
    title_->setText(title);
    QStringList headers;
    headers << QStringLiteral("Fichier") << columns << QStringLiteral("remarque");
    const int columnCount = static_cast<int>(headers.size());
    std::vector<const Row *> files;
    const Row *total = nullptr;
    for (const Row &row : rows) {
        if (row.total)
            total = &row;
        else
            files.push_back(&row);
    }
    table_->clear();
    table_->setColumnCount(columnCount);
    table_->setRowCount(static_cast<int>(files.size()));
    table_->setHorizontalHeaderLabels(headers);
    total_->clear();
    total_->setColumnCount(columnCount);
    total_->setRowCount(total ? 1 : 0);
    total_->setVisible(total != nullptr);
    const auto put = [&](QTableWidget *table, int r, const Row &row) {
        table->setItem(r, 0, Cell(row.name, Qt::AlignLeft));
        for (int c = 1; c + 1 < columnCount; ++c) {
            const QString text = c - 1 < row.cells.size() ? row.cells[c - 1] : QString();
            // The counts to the right; what names or says something to the left.
            bool number = false;
            text.left(1).toInt(&number);
            table->setItem(r, c, Cell(text, number ? Qt::AlignRight : Qt::AlignLeft));
        }
        table->setItem(r, columnCount - 1, Cell(row.mark, Qt::AlignLeft));
        for (int c = 0; c < columnCount; ++c) {
            QTableWidgetItem *item = table->item(r, c);
            if (row.total) {
                QFont font = item->font();
                font.setBold(true);
                item->setFont(font);
            }
            if (row.warn && (c == 0 || c == columnCount - 1))
                item->setForeground(kWarnInk);
        }
    };
    for (int r = 0; r < static_cast<int>(files.size()); ++r)
        put(table_, r, *files[static_cast<std::size_t>(r)]);
    if (total)
        put(total_, 0, *total);
    table_->resizeColumnsToContents();
    // The total's cells are as wide as the rows' columns, and no narrower than its own texts.
    if (total) {
        total_->resizeColumnsToContents();
        for (int c = 0; c < columnCount; ++c)
            table_->setColumnWidth(c, std::max(table_->columnWidth(c), total_->columnWidth(c)));
        for (int c = 0; c < columnCount; ++c)
            total_->setColumnWidth(c, table_->columnWidth(c));
    }
    table_->horizontalHeader()->setStretchLastSection(true);
    total_->horizontalHeader()->setStretchLastSection(true);

    std::vector<QStringList> textRows;
    for (const Row &row : rows)
        textRows.push_back(QStringList{row.name} + row.cells + QStringList{row.mark});
    text_ = title + QLatin1Char('\n');
    if (!backup_->text().isEmpty())
        text_ += backup_->text() + QLatin1Char('\n');
    text_ += QLatin1Char('\n') + TableText(headers, textRows);
}

void ResultsWindow::ListFiles(const QStringList &files, const QString &folder) {
    files_ = files;
    folder_ = folder;
    const auto report = std::find_if(files.begin(), files.end(), [](const QString &path) {
        return QFileInfo(path).fileName() == QLatin1String(ReportFileName());
    });
    report_ = report == files.end() ? QString() : *report;
    reportButton_->setEnabled(!report_.isEmpty());
    openButtons_.assign(static_cast<std::size_t>(files.size()), nullptr);
    folderButtons_.assign(static_cast<std::size_t>(files.size()), nullptr);
    fileLabels_.assign(static_cast<std::size_t>(files.size()), nullptr);
    foldButton_ = nullptr;
    folded_ = nullptr;
    while (QLayoutItem *item = filesLayout_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (files.isEmpty()) {
        filesCaption_->setText(Utf8("Aucun fichier écrit."));
        filesScroll_->hide();
        text_ += QLatin1Char('\n') + filesCaption_->text() + QLatin1Char('\n');
        return;
    }
    filesScroll_->show();
    filesCaption_->setText(Utf8("Fichiers écrits dans %1 :").arg(QDir::toNativeSeparators(folder)));
    text_ += QLatin1Char('\n') + filesCaption_->text() + QLatin1Char('\n');

    // The files in the order the technician reads them; those of rank 5 under the fold.
    std::vector<int> order(static_cast<std::size_t>(files.size()));
    for (int i = 0; i < files.size(); ++i)
        order[static_cast<std::size_t>(i)] = i;
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Rank(files[a]) < Rank(files[b]); });
    int folded = 0;
    for (const QString &path : files)
        folded += Rank(path) == 5 ? 1 : 0;

    QGridLayout *grid = filesLayout_;
    QGridLayout *foldedGrid = nullptr;
    int row = 0;
    int foldedRow = 0;
    for (const int i : order) {
        const QString &path = files[i];
        const QString shown = path.startsWith(folder) && !folder.isEmpty() ? path.mid(folder.size()) : path;
        text_ += QStringLiteral("  ") + shown + QLatin1Char('\n');
        if (Rank(path) == 5 && !foldedGrid) {
            foldButton_ = new QPushButton(Utf8("▸ Listes de correspondance et journal (%1 fichiers)").arg(folded), filesBox_);
            foldButton_->setObjectName(QStringLiteral("btnListesEtJournal"));
            foldButton_->setFlat(true);
            foldButton_->setCheckable(true);
            foldButton_->setAutoDefault(false);
            foldButton_->setStyleSheet(QStringLiteral("text-align: left;"));
            folded_ = new QWidget(filesBox_);
            folded_->setObjectName(QStringLiteral("ListesEtJournal"));
            foldedGrid = new QGridLayout(folded_);
            foldedGrid->setContentsMargins(16, 0, 0, 0);
            foldedGrid->setHorizontalSpacing(8);
            foldedGrid->setVerticalSpacing(3);
            foldedGrid->setColumnStretch(0, 1);
            folded_->hide();
            connect(foldButton_, &QPushButton::toggled, this, [this, folded](bool open) {
                folded_->setVisible(open);
                foldButton_->setText((open ? Utf8("▾ ") : Utf8("▸ ")) +
                                     Utf8("Listes de correspondance et journal (%1 fichiers)").arg(folded));
            });
            grid->addWidget(foldButton_, row++, 0, 1, 3);
            grid->addWidget(folded_, row++, 0, 1, 3);
            grid = foldedGrid;
        }
        auto *name = new FileName(shown, filesBox_, [this, path] { Open(path, false); });
        name->setObjectName(QStringLiteral("lbFichier%1").arg(i + 1));
        name->setToolTip(QDir::toNativeSeparators(path) + Utf8("\nDouble-clic : ouvrir le fichier"));
        name->setTextInteractionFlags(Qt::TextSelectableByMouse);
        auto *open = new QPushButton(QStringLiteral("Ouvrir"), filesBox_);
        open->setObjectName(QStringLiteral("btnOuvrir%1").arg(i + 1));
        open->setAutoDefault(false);
        connect(open, &QPushButton::clicked, this, [this, path] { Open(path, false); });
        auto *folderButton = new QPushButton(QStringLiteral("Ouvrir le dossier"), filesBox_);
        folderButton->setObjectName(QStringLiteral("btnDossier%1").arg(i + 1));
        folderButton->setAutoDefault(false);
        connect(folderButton, &QPushButton::clicked, this, [this, path] { Open(path, true); });
        int &at = grid == filesLayout_ ? row : foldedRow;
        grid->addWidget(name, at, 0);
        grid->addWidget(open, at, 1);
        grid->addWidget(folderButton, at, 2);
        ++at;
        openButtons_[static_cast<std::size_t>(i)] = open;
        folderButtons_[static_cast<std::size_t>(i)] = folderButton;
        fileLabels_[static_cast<std::size_t>(i)] = name;
    }
}

QLabel *ResultsWindow::FileLabel(int file) const {
    return file >= 0 && file < static_cast<int>(fileLabels_.size()) ? fileLabels_[static_cast<std::size_t>(file)]
                                                                    : nullptr;
}

void ResultsWindow::Save() {
    const QString proposed = QDir(folder_.isEmpty() ? QDir::homePath() : folder_).filePath(QStringLiteral("RESULTATS.txt"));
    const QString path = saveChooser_(proposed);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text) ||
        file.write(text_.toUtf8()) != text_.toUtf8().size() || !file.flush()) {
        QMessageBox::warning(this, QCoreApplication::applicationName(),
                             Utf8("Impossible d'enregistrer %1 : %2").arg(QDir::toNativeSeparators(path), file.errorString()));
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
