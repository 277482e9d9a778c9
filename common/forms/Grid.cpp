#include "Grid.h"

#include "Controls.h"
#include "DataControl.h"
#include "Form.h"
#include "Platform.h"
#include "Schema.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QHeaderView>

// The records as rows: only the rows the view asks for are read, and a handful are kept.
class GridModel : public QAbstractTableModel {
public:
    GridModel(QObject* parent, int cols, int emptyRows)
        : QAbstractTableModel(parent), m_headers(cols), m_emptyRows(emptyRows) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : (m_filled ? m_count : m_emptyRows);
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(m_headers.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid() || !m_filled)
            return {};
        const QStringList* row = record(index.row());
        return row ? row->value(index.column()) : QString();
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= m_headers.size())
            return {};
        if (role == Qt::DisplayRole)
            return m_headers[section];
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    const QString& header(int col) const { return m_headers[col]; }
    void setHeader(int col, const QString& text) {
        m_headers[col] = text;
        emit headerDataChanged(Qt::Horizontal, col, col);
    }

    // Takes the source's records anew. Headers that code never wrote show the field names.
    void fill(DataControl* source) {
        beginResetModel();
        m_cache.clear();
        m_source = source;
        m_filled = source && source->isOpen();
        m_count = 0;
        if (m_filled) {
            m_count = source->records().recordCount();
            m_fields = Tables::fieldsOf(source->RecordSource());
            if (m_fields.size() > m_headers.size())
                m_headers.resize(m_fields.size());
            for (int c = 0; c < m_fields.size(); ++c)
                if (m_headers[c].isEmpty())
                    m_headers[c] = m_fields[c];
        }
        endResetModel();
    }

    // The source's records changed under the same list (a deletion, a stored edit).
    void follow() {
        if (!m_filled || !m_source || !m_source->isOpen())
            return;
        const int count = m_source->records().recordCount();
        if (count != m_count) {
            fill(m_source);
            return;
        }
        m_cache.clear();
        if (m_count > 0)
            emit dataChanged(index(0, 0), index(m_count - 1, columnCount() - 1));
    }

private:
    const QStringList* record(int row) const {
        auto it = m_cache.constFind(row);
        if (it != m_cache.constEnd())
            return &*it;
        if (!m_source || !m_source->isOpen())
            return nullptr;
        if (m_cache.size() >= kCacheRows)
            m_cache.clear();
        std::optional<QStringList> values;
        try {
            values = m_source->records().readAt(row, m_fields);
        } catch (const std::exception&) {
            // A record that cannot be read now (the database is busy) shows empty until next asked.
            return nullptr;
        }
        return &*m_cache.insert(row, values.value_or(QStringList()));
    }

    static constexpr int kCacheRows = 512;
    QVector<QString> m_headers;
    int m_emptyRows;
    DataControl* m_source = nullptr;
    bool m_filled = false;
    int m_count = 0;
    QStringList m_fields;
    mutable QHash<int, QStringList> m_cache;
};

Grid::Grid(QWidget* parent, int cols, int rows)
    : QTableView(parent), m_model(new GridModel(this, cols, std::max(rows - 1, 0))), m_widths(cols, -1) {
    setModel(m_model);
    setFont(courierFont(9.75));
    horizontalHeader()->setFont(courierFont(9.75));
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setTabKeyNavigation(false);
}

Grid::~Grid() = default;

void Grid::setDataSource(DataControl* source) {
    connect(source, &DataControl::opened, this, [this, source] {
        connect(&source->records(), &Recordset::currentChanged, m_model, [this] {
            m_model->follow();
            applyWidths();
        });
        m_model->fill(source);
        applyWidths();
    });
}

// A model reset forgets the section sizes; the widths written by code stand.
void Grid::applyWidths() {
    if (m_widths.size() < m_model->columnCount())
        m_widths.resize(m_model->columnCount(), -1);
    for (int c = 0; c < m_widths.size(); ++c)
        if (m_widths[c] >= 0)
            setColumnWidth(c, twips(m_widths[c]));
}

int Grid::Rows() const {
    return 1 + m_model->rowCount();
}

int Grid::Cols() const {
    return m_model->columnCount();
}

void Grid::setRow(int row) {
    if (row < 0 || row >= Rows())
        throw RuntimeError(QStringLiteral("Недопустимое значение Row: %1.").arg(row));
    m_row = row;
}

void Grid::setCol(int col) {
    if (col < 0 || col >= Cols())
        throw RuntimeError(QStringLiteral("Недопустимое значение Col: %1.").arg(col));
    m_col = col;
}

QString Grid::Text() const {
    if (m_row == 0)
        return m_model->header(m_col);
    return m_model->data(m_model->index(m_row - 1, m_col), Qt::DisplayRole).toString();
}

void Grid::setText(const QString& text) {
    if (m_row != 0)
        throw RuntimeError(
            QStringLiteral("Строка %1 сетки показывает запись и не принимает текст.").arg(m_row));
    m_model->setHeader(m_col, text);
}

int Grid::ColWidth(int col) const {
    if (col < 0 || col >= Cols())
        throw RuntimeError(QStringLiteral("Недопустимый номер столбца: %1.").arg(col));
    if (m_widths.value(col, -1) >= 0)
        return m_widths[col];
    const int pixelsPerInch = std::max(twips(1440), 1);
    return columnWidth(col) * 1440 / pixelsPerInch;
}

void Grid::setColWidth(int col, int widthTwips) {
    if (col < 0 || col >= Cols())
        throw RuntimeError(QStringLiteral("Недопустимый номер столбца: %1.").arg(col));
    if (m_widths.size() <= col)
        m_widths.resize(col + 1, -1);
    m_widths[col] = widthTwips;
    setColumnWidth(col, twips(widthTwips));
}
