#include <QTest>

#include "gui/window/config_app.h"

namespace dtu::test {

using Outcome = ParsedArguments::Outcome;

class ConfigAppTest : public QObject {
  Q_OBJECT

 private slots:
  void arguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QStringList>("ports");
    const QString me = QStringLiteral("dtuconfig");
    QTest::newRow("none") << QStringList{me} << int(Outcome::Run) << QStringList{};
    QTest::newRow("one port") << QStringList{me, "--port", "/dev/pts/3"} << int(Outcome::Run)
                              << QStringList{"/dev/pts/3"};
    QTest::newRow("repeated, in order")
        << QStringList{me, "--port", "/tmp/b", "--port=/dev/ttyUSB0"} << int(Outcome::Run)
        << QStringList{"/tmp/b", "/dev/ttyUSB0"};
    QTest::newRow("help") << QStringList{me, "--help"} << int(Outcome::Help) << QStringList{};
    QTest::newRow("port without path")
        << QStringList{me, "--port"} << int(Outcome::Error) << QStringList{};
    QTest::newRow("empty path") << QStringList{me, "--port="} << int(Outcome::Error)
                                << QStringList{};
    QTest::newRow("unknown option")
        << QStringList{me, "--baud", "9600"} << int(Outcome::Error) << QStringList{};
    QTest::newRow("stray argument")
        << QStringList{me, "/dev/ttyS0"} << int(Outcome::Error) << QStringList{};
  }

  void arguments() {
    QFETCH(QStringList, arguments);
    QFETCH(int, outcome);
    QFETCH(QStringList, ports);
    const ParsedArguments parsed = ConfigApp::ParseArguments(arguments);
    QCOMPARE(int(parsed.outcome), outcome);
    QStringList parsed_ports;
    for (const std::string& port : parsed.options.ports)
      parsed_ports << QString::fromStdString(port);
    QCOMPARE(parsed_ports, ports);
    if (parsed.outcome != Outcome::Run) QVERIFY(!parsed.text.isEmpty());
    if (parsed.outcome == Outcome::Help) QVERIFY(parsed.text.contains(QStringLiteral("--port")));
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::ConfigAppTest)
#include "config_app_test.moc"
