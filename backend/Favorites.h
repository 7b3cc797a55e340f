// The Favorites section: the favorite VMs of all servers, in VM order.
#pragma once

#include "backend/VMView.h"

class Favorites : public VMView {
 public:
  // query: the State's GetFavoriteVMs.
  static std::shared_ptr<Favorites> Create(Query query) {
    return std::shared_ptr<Favorites>(new Favorites(std::move(query)));
  }

 private:
  explicit Favorites(Query query) : VMView(std::move(query)) {}
};
