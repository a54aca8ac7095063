// Saves a design of N devices to PATH again and again, each time under a new version text, until it is killed.
// Prints "ready" once the first save is done.
#include "OfflineTestDesign.h"
#include "OfflineWorkingFile.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: offline_save_loop PATH DEVICES\n");
        return 2;
    }
    OfflineData data;
    OfflineTestDesign::build(data, QByteArray(argv[2]).toInt(), 64);
    OfflineWorkingFile file(data, QString::fromLocal8Bit(argv[1]));
    for (long round = 0;; ++round) {
        data.setGuiVersion(QStringLiteral("gen %1").arg(round));
        if (!file.save())
            return 1;
        if (round == 0) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}
