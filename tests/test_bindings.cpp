// Every window of both programs binds its labels and text boxes to a table the database has and to
// a field of that same table: a field taken from the wrong table would only show up as a window
// that refuses to open.

#include "Controls.h"
#include "DataControl.h"
#include "FrmExit.h"
#include "FrmMain.h"
#include "FrmMainOpt.h"
#include "FrmStart.h"
#include "PasswordGate.h"
#include "Schema.h"
#include "TestSupport.h"
#include "frmAccess.h"
#include "frmAdd.h"
#include "frmLook.h"
#include "frmNewCateg.h"

#include <QtTest>
#include <memory>

namespace {

Form& none() {
    throw std::logic_error("no successor here");
}

} // namespace

class TestBindings : public QObject {
    Q_OBJECT
private slots:
    void init() { resetRuntime(); }
    void cleanup() { resetRuntime(); }

    void everyWindowBindsFieldsOfItsOwnTable_data() {
        QTest::addColumn<std::function<Form*()>>("make");
        QTest::addColumn<int>("bound"); // how many fields the window binds
        QTest::newRow("FrmMain") << std::function<Form*()>([] { return new FrmMain; }) << 2;
        QTest::newRow("FrmStart") << std::function<Form*()>([] { return new FrmStart; }) << 8;
        QTest::newRow("FrmExit") << std::function<Form*()>([] { return new FrmExit; }) << 0;
        QTest::newRow("FrmMainOpt") << std::function<Form*()>([] { return new FrmMainOpt; }) << 1;
        QTest::newRow("frmAdd") << std::function<Form*()>([] { return new frmAdd; }) << 6;
        QTest::newRow("frmNewCateg") << std::function<Form*()>([] { return new frmNewCateg; }) << 2;
        QTest::newRow("frmAccess") << std::function<Form*()>([] { return new frmAccess; }) << 6;
        QTest::newRow("frmLook") << std::function<Form*()>([] { return new frmLook; }) << 0;
        for (const GateSettings* gate : {&Gates::PassMain, &Gates::MainSettings, &Gates::Pass})
            QTest::newRow(qPrintable(gate->name))
                << std::function<Form*()>([gate] { return new PasswordGate(*gate, none); }) << 2;
    }
    void everyWindowBindsFieldsOfItsOwnTable() {
        QFETCH(std::function<Form*()>, make);
        QFETCH(int, bound);
        const std::unique_ptr<Form> window(make());
        int seen = 0;
        for (QWidget* w : window->findChildren<QWidget*>()) {
            auto* field = dynamic_cast<BoundField*>(w);
            if (!field || !field->dataSource())
                continue;
            ++seen;
            const QString table = field->dataSource()->RecordSource();
            QVERIFY2(Tables::fieldsOf(table).contains(field->dataField()),
                     qPrintable(QStringLiteral("%1: %2.%3").arg(w->objectName(), table, field->dataField())));
        }
        QCOMPARE(seen, bound);
    }
};

QTEST_MAIN(TestBindings)
#include "test_bindings.moc"
