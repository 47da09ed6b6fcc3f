#include <QFile>
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
    QTest::addColumn<QString>("file");  // empty: none
    const QString me = QStringLiteral("dtuconfig");
    const QString none;
    QTest::newRow("none") << QStringList{me} << int(Outcome::Run) << QStringList{} << none;
    QTest::newRow("one port") << QStringList{me, "--port", "/dev/pts/3"} << int(Outcome::Run)
                              << QStringList{"/dev/pts/3"} << none;
    QTest::newRow("repeated, in order")
        << QStringList{me, "--port", "/tmp/b", "--port=/dev/ttyUSB0"} << int(Outcome::Run)
        << QStringList{"/tmp/b", "/dev/ttyUSB0"} << none;
    QTest::newRow("help") << QStringList{me, "--help"} << int(Outcome::Help) << QStringList{}
                          << none;
    QTest::newRow("port without path")
        << QStringList{me, "--port"} << int(Outcome::Error) << QStringList{} << none;
    QTest::newRow("empty path") << QStringList{me, "--port="} << int(Outcome::Error)
                                << QStringList{} << none;
    QTest::newRow("unknown option")
        << QStringList{me, "--baud", "9600"} << int(Outcome::Error) << QStringList{} << none;
    QTest::newRow("a file") << QStringList{me, "/tmp/站点一.MTS"} << int(Outcome::Run)
                            << QStringList{} << "/tmp/站点一.MTS";
    QTest::newRow("a port and a file")
        << QStringList{me, "unit.bpp", "--port", "/dev/pts/3"} << int(Outcome::Run)
        << QStringList{"/dev/pts/3"} << "unit.bpp";
    QTest::newRow("a file after --")
        << QStringList{me, "--", "-odd.bpp"} << int(Outcome::Run) << QStringList{} << "-odd.bpp";
    QTest::newRow("two files") << QStringList{me, "a.MTS", "b.MTS"} << int(Outcome::Error)
                               << QStringList{} << none;
    QTest::newRow("empty file name")
        << QStringList{me, ""} << int(Outcome::Error) << QStringList{} << none;
  }

  void arguments() {
    QFETCH(QStringList, arguments);
    QFETCH(int, outcome);
    QFETCH(QStringList, ports);
    QFETCH(QString, file);
    const ParsedArguments parsed = ConfigApp::ParseArguments(arguments);
    QCOMPARE(int(parsed.outcome), outcome);
    QStringList parsed_ports;
    for (const std::string& port : parsed.options.ports)
      parsed_ports << QString::fromStdString(port);
    QCOMPARE(parsed_ports, ports);
    const QString parsed_file =
        parsed.options.file ? QFile::decodeName(parsed.options.file->c_str()) : QString();
    QCOMPARE(parsed_file, file);
    if (parsed.outcome != Outcome::Run) QVERIFY(!parsed.text.isEmpty());
    if (parsed.outcome == Outcome::Help) QVERIFY(parsed.text.contains(QStringLiteral("--port")));
  }

  // --production with its choices; they make no sense without it.
  void productionArguments_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<bool>("production");
    QTest::addColumn<QStringList>("choices");  // template, units, record, then the ports
    const QString me = QStringLiteral("dtuconfig");
    QTest::newRow("alone") << QStringList{me, "--production"} << int(Outcome::Run) << true
                           << QStringList{"", "", ""};
    QTest::newRow("every choice")
        << QStringList{me,        "--production", "--template", "t.json",
                       "--units", "单元.csv",     "--record",   "host=/run/postgresql dbname=line",
                       "--port",  "/dev/a",       "--port",     "/dev/b"}
        << int(Outcome::Run) << true
        << QStringList{"t.json", "单元.csv", "host=/run/postgresql dbname=line", "/dev/a",
                       "/dev/b"};
    QTest::newRow("a choice without --production")
        << QStringList{me, "--units", "u.csv"} << int(Outcome::Error) << false << QStringList{};
    QTest::newRow("a parameter file with --production")
        << QStringList{me, "--production", "a.MTS"} << int(Outcome::Error) << true << QStringList{};
  }

  void productionArguments() {
    QFETCH(QStringList, arguments);
    QFETCH(int, outcome);
    QFETCH(bool, production);
    QFETCH(QStringList, choices);
    const ParsedArguments parsed = ConfigApp::ParseArguments(arguments);
    QCOMPARE(int(parsed.outcome), outcome);
    if (parsed.outcome != Outcome::Run) {
      QVERIFY(!parsed.text.isEmpty());
      return;
    }
    QCOMPARE(parsed.options.production, production);
    QStringList given{QFile::decodeName(parsed.options.template_path.c_str()),
                      QFile::decodeName(parsed.options.units_path.c_str()),
                      QString::fromStdString(parsed.options.record)};
    for (const std::string& port : parsed.options.ports) given << QString::fromStdString(port);
    QCOMPARE(given, choices);
  }
};

}  // namespace dtu::test

QTEST_MAIN(dtu::test::ConfigAppTest)
#include "config_app_test.moc"
