#pragma once
// What the capture component asks of a live capture.

#include <QByteArray>

namespace dorvex {

struct HelperRequest {
  QByteArray adapter;  // the adapter's name as the capture library lists it
  bool promiscuous = false;
  int readTimeOut = 0;  // milliseconds
};

}  // namespace dorvex
