#include "backend/VMCollection.h"

VMCollection::~VMCollection() = default;
