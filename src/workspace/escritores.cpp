#include "workspace/escritores.h"

#include <stdexcept>

namespace workspace {

namespace {
IEscritores* escritores_ = nullptr;
}

void SetEscritores(IEscritores* escritores) {
  escritores_ = escritores;
}

IEscritores& Escritores() {
  if (!escritores_) throw std::logic_error("the form was given no bank writers");
  return *escritores_;
}

}  // namespace workspace
