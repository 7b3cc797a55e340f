// One resource id with the name that res/resource.h gives it.
#pragma once

struct ResourceId {
  int id;
  const wchar_t* name;
};
