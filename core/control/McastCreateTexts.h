#pragma once
#include "McastCreateChecks.h"

#include <QString>

/// The texts a refused multicast stream creation shows, in the stream view's wording.
class McastCreateTexts
{
public:
    /// The text of `failure` in Chinese or English; empty for None.
    static QString failure(McastCreateChecks::Failure failure, bool chinese);
    /// The question asked before multicast transmit streams are deleted.
    static QString deleteQuestion();
};
