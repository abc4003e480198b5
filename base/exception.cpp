#include "base/exception.h"

namespace eos {

Text CurrentExceptionText() noexcept {
  try {
    throw;
  } catch (const Exception& e) {
    return e.message();
  } catch (const std::exception& e) {
    return FromUtf8(e.what());
  } catch (...) {
    return u"unknown failure";
  }
}

}  // namespace eos
