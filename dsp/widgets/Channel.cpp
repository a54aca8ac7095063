#include "Channel.h"

Channel::Channel(QWidget* parent) : DspPageShell(QStringLiteral("Channel"), parent) {}
