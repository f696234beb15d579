// Makes one more COM port present in the prefix, or takes it away again, for a scenario that
// needs a port of its own beyond the shared machine's:
//   com_port_device add COMn | remove COMn
// Exit 0 when the prefix holds the port (add) or no longer does (remove), 1 otherwise, 2 for a
// wrong command line.

#include <cstdio>
#include <cstring>

#include "port_devices.h"
#include "platform.h"

int main(int argc, char** argv) {
  if (argc != 3 || (std::strcmp(argv[1], "add") != 0 && std::strcmp(argv[1], "remove") != 0)) {
    (void)std::fprintf(stderr, "usage: com_port_device add|remove COMn\n");
    return 2;
  }
  const char* port = argv[2];
  // A port left by an interrupted run is taken away first, so the prefix ends with exactly one.
  const int removed = RemovePort(port);
  if (std::strcmp(argv[1], "remove") == 0) {
    std::printf("com_port_device: removed %d %s device(s)\n", removed, port);
    return removed > 0 ? 0 : 1;
  }
  const char* failedStep = MakePresentDevice(kPortsClassGuid, "Ports", port, nullptr, 0);
  if (failedStep) {
    (void)std::fprintf(stderr, "com_port_device: %s failed (error %lu)\n", failedStep,
                       static_cast<unsigned long>(GetLastError()));
    return 1;
  }
  std::printf("com_port_device: %s is present\n", port);
  return 0;
}
