// The one place that knows which drivers the build holds.
#include "framework/BackEnd.h"
#include "framework/console/ConsoleBackEnd.h"
#if VEX_HAVE_QT_WIDGETS
#include "framework/qt/QtBackEnd.h"
#endif

namespace vex::fw {

bool WindowFrontEndBuilt() {
  return VEX_HAVE_QT_WIDGETS != 0;
}

std::unique_ptr<IBackEnd> CreateBackEnd(FrontEnd frontEnd, int& argc, char** argv) {
  if (frontEnd == FrontEnd::Console) {
    return CreateConsoleBackEnd(argc, argv);
  }
#if VEX_HAVE_QT_WIDGETS
  return CreateQtBackEnd(argc, argv);
#else
  return nullptr;
#endif
}

}  // namespace vex::fw
