// An ordered list that owns its items: clearing, deleting or destroying it frees them.
#pragma once

#include "common/classes.h"

template <class T>
class TFreeList : public TObjectList<T> {};
