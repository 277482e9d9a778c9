// prepare-dataprog: creates DataProg.mdb for Orvanto and Settings before their first run.

#include "PrepareDatabase.h"
#include "Schema.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QTextStream>
#include <exception>

int main(int argc, char* argv[]) {
    // Drawing the demo pictures needs a GUI application, not a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("prepare-dataprog"));

    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Creates the database DataProg.mdb shared by Orvanto and Settings: its five tables, "
                       "the Access and Passwords records and, with --demo, demo categories and programs."));
    parser.addHelpOption();
    parser.addPositionalArgument(
        QStringLiteral("path"),
        QStringLiteral("The database file to create (default: DataProg.mdb in this tool's folder)."),
        QStringLiteral("[path]"));
    const QCommandLineOption demo(
        QStringLiteral("demo"),
        QStringLiteral("Add demo categories, the programs installed here that open a window (Settings "
                       "next to this tool among them) and launch records; their pictures and icons go "
                       "into demo/ next to the database."));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("Overwrite an existing database file."));
    const QString codeHelp =
        QStringLiteral("Access code for %1: 0 denied, 1 with password, 2 free (default 1).");
    const QCommandLineOption mainCode(QStringLiteral("main-code"), codeHelp.arg(QStringLiteral("Orvanto")),
                                      QStringLiteral("C"), AccessLevel::WithPassword);
    const QCommandLineOption settingsCode(QStringLiteral("settings-code"),
                                          codeHelp.arg(QStringLiteral("Settings")), QStringLiteral("C"),
                                          AccessLevel::WithPassword);
    const QCommandLineOption passwordCode(QStringLiteral("password-code"),
                                          codeHelp.arg(QStringLiteral("the password window")),
                                          QStringLiteral("C"), AccessLevel::WithPassword);
    const QString passwordHelp = QStringLiteral("Password for %1, at most %2 characters (default orvanto).");
    const QCommandLineOption mainPassword(QStringLiteral("main-password"),
                                          passwordHelp.arg(QStringLiteral("Orvanto")).arg(kMaxPasswordLength),
                                          QStringLiteral("P"), QStringLiteral("orvanto"));
    const QCommandLineOption settingsPassword(
        QStringLiteral("settings-password"),
        passwordHelp.arg(QStringLiteral("Settings")).arg(kMaxPasswordLength), QStringLiteral("P"),
        QStringLiteral("orvanto"));
    const QCommandLineOption lookPassword(
        QStringLiteral("look-password"),
        passwordHelp.arg(QStringLiteral("viewing the launch records")).arg(kMaxPasswordLength),
        QStringLiteral("P"), QStringLiteral("orvanto"));
    parser.addOptions(
        {demo, force, mainCode, settingsCode, passwordCode, mainPassword, settingsPassword, lookPassword});
    parser.process(app);

    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) {
        err << "Only one database file can be given.\n";
        return 2;
    }

    PrepareOptions options;
    options.path = positional.isEmpty() ? DatabasePath() : positional.first();
    options.demo = parser.isSet(demo);
    options.force = parser.isSet(force);
    // The tool is built next to Orvanto and Settings.
    options.programFolder = QCoreApplication::applicationDirPath();
    options.mainProgCode = parser.value(mainCode);
    options.settingsCode = parser.value(settingsCode);
    options.passwordCode = parser.value(passwordCode);
    options.progrPassword = parser.value(mainPassword);
    options.settingsPassword = parser.value(settingsPassword);
    options.lookPassword = parser.value(lookPassword);

    for (const QString& code : {options.mainProgCode, options.settingsCode, options.passwordCode})
        if (code != AccessLevel::Denied && code != AccessLevel::WithPassword && code != AccessLevel::Free)
            err << "Warning: access code \"" << code << "\" is none of 0, 1, 2; it is stored as given.\n";

    try {
        const PrepareReport report = prepareDatabaseWithReport(options);
        out << "Created " << QDir::toNativeSeparators(report.databasePath)
            << " (tables Programs, Types, Fixing, Passwords, Access; one Access and one Passwords record).\n";
        if (!report.demoFolder.isEmpty()) {
            out << "Demo data: " << report.categories << " categories, " << report.programs << " programs, "
                << report.launches << " launch records; pictures and icons in "
                << QDir::toNativeSeparators(report.demoFolder) << ".\n";
            if (report.iconsAsPng)
                out << "The ICO image writer is not available: the icons were saved as PNG.\n";
        }
    } catch (const std::exception& e) {
        err << "prepare-dataprog: " << QString::fromUtf8(e.what()) << "\n";
        return 1;
    }
    return 0;
}
