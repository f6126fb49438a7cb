// Qt's own texts in Chinese under a locale that is not Chinese (the suite
// runs with LANG=C).
#include "translations.h"

#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void buttons_data();
    void buttons();
};

void TestTranslations::initTestCase()
{
    QCOMPARE(translations::useChinese({QStringLiteral("qtbase"), QStringLiteral("qtnothing")}),
             QStringList{QStringLiteral("qtnothing")});
    QCOMPARE(QLocale().name(), QStringLiteral("zh_CN"));
}

void TestTranslations::buttons_data()
{
    QTest::addColumn<QMessageBox::StandardButton>("button");
    QTest::addColumn<QString>("text");
    QTest::newRow("yes") << QMessageBox::Yes << QStringLiteral("是(&Y)");
    QTest::newRow("no") << QMessageBox::No << QStringLiteral("否(&N)");
    QTest::newRow("ok") << QMessageBox::Ok << QStringLiteral("确定");
}

void TestTranslations::buttons()
{
    QFETCH(QMessageBox::StandardButton, button);
    QMessageBox box(QMessageBox::Information, QString(), QString(),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok);
    QTEST(box.button(button)->text(), "text");
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
