#pragma once
// The log grid: a table view bound to a data source. Below its fixed header row it shows one row
// per record of the source, in the table's order, reading each record only when it comes into
// view and never moving the source's current record. Code writes the header through the current
// cell (Row, Col, Text) and sets column widths in twips.

#include <QTableView>
#include <QVector>

class DataControl;
class GridModel;

class Grid : public QTableView {
    Q_OBJECT
public:
    // The design settings: columns, and rows before a fill, the one fixed header row included.
    Grid(QWidget* parent, int cols, int rows);
    ~Grid() override;

    // Binds the grid; it fills itself each time the source opens and follows its deletions.
    void setDataSource(DataControl* source);

    int Rows() const; // the header row included
    int Cols() const;
    int Row() const { return m_row; }
    int Col() const { return m_col; }
    void setRow(int row); // throws RuntimeError outside the grid
    void setCol(int col);
    // The text of the current cell. Only the header row takes text; the records are the source's.
    QString Text() const;
    void setText(const QString& text);
    int ColWidth(int col) const; // twips
    void setColWidth(int col, int widthTwips);

private:
    void applyWidths();

    GridModel* m_model;
    int m_row = 0;
    int m_col = 0;
    QVector<int> m_widths; // twips, -1 where never set
};
