// A host's voucher line with the common-summaries picker: typing a code, pinyin initials or a
// piece of a summary's text into the line edit lists the matching summaries under it; the picked
// one's account shows beside it. The ledger holds the host's tables (the demo host's, say).
//   digest-picker-host LEDGER [--close-when-shown]
#include <Database.h>
#include <DigestPicker.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fputs("usage: digest-picker-host LEDGER [--close-when-shown]\n", stderr);
        return 2;
    }
    try {
        DigestPicker picker(DataKit::Database::open(args.at(1)));
        QWidget line;
        auto *summary = new QLineEdit;
        auto *account = new QLabel;
        auto *layout = new QHBoxLayout(&line);
        layout->addWidget(summary);
        layout->addWidget(account);
        picker.attach(summary);
        QObject::connect(&picker, &DigestPicker::picked, account, [account](const DigestMatch &m) {
            account->setText(m.accountCode + " " + m.accountName);
        });
        line.show();
        // For unattended runs: close the window as the user would, once it is up.
        if (args.contains("--close-when-shown"))
            QTimer::singleShot(100, &line, &QWidget::close);
        return app.exec();
    } catch (const std::exception &failure) { // DataKit::Error among others
        std::fprintf(stderr, "%s\n", failure.what());
        return 1;
    }
}
