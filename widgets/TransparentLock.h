#pragma once
#include "TranslucentLock.h"

/// The lock overlay of a hidden page: the padlock and its hint on opaque black, nothing of the page shows.
class TransparentLock : public TranslucentLock
{
    Q_OBJECT
public:
    explicit TransparentLock(QWidget* page);
};
