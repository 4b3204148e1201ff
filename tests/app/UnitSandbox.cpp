// Runs a command inside the sandbox that the service unit asks systemd for, as far as it can be
// made without a service manager: a mount namespace with a read-only root but for the given
// writable folders, /proc with the process subset only and other processes hidden, a hostname
// and IPC namespace, no capabilities, no new privileges, the given umask, and a seccomp filter
// of the allowed system calls with the unit's argument checks (writable-and-executable memory,
// address families, namespaces, personality). Denied calls fail with EPERM, as
// SystemCallErrorNumber=EPERM makes them.
//
//   vex_unit_sandbox UMASK ALLOWED-CALLS-FILE WRITABLE-FOLDER... -- PROGRAM ARGUMENT...
#include <errno.h>
#include <fcntl.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/shm.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr unsigned long kNamespaceFlags = CLONE_NEWNS | CLONE_NEWUTS | CLONE_NEWIPC |
                                          CLONE_NEWUSER | CLONE_NEWPID | CLONE_NEWNET |
                                          CLONE_NEWCGROUP | CLONE_NEWTIME;

[[noreturn]] void Fail(const std::string& step) {
  std::fprintf(stderr, "vex_unit_sandbox: %s: %s\n", step.c_str(), std::strerror(errno));
  std::exit(125);
}

void MakeFileSystem(const std::vector<std::string>& writable) {
  if (unshare(CLONE_NEWNS | CLONE_NEWUTS | CLONE_NEWIPC) != 0) {
    Fail("unshare");
  }
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    Fail("private mounts");
  }
  // ProtectSystem=strict; each writable folder is bound onto itself first, so that it stays a
  // mount of its own that can be made writable again.
  for (const auto& folder : writable) {
    if (mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0) {
      Fail("bind " + folder);
    }
  }
  mount_attr readOnly{};
  readOnly.attr_set = MOUNT_ATTR_RDONLY;
  if (mount_setattr(AT_FDCWD, "/", AT_RECURSIVE, &readOnly, sizeof readOnly) != 0) {
    Fail("read-only root");
  }
  mount_attr writableAgain{};
  writableAgain.attr_clr = MOUNT_ATTR_RDONLY;
  for (const auto& folder : writable) {
    if (mount_setattr(AT_FDCWD, folder.c_str(), 0, &writableAgain, sizeof writableAgain) != 0) {
      Fail("writable " + folder);
    }
  }
  // ProtectProc=invisible, ProcSubset=pid.
  if (mount("proc", "/proc", "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC,
            "hidepid=invisible,subset=pid") != 0) {
    Fail("mount /proc");
  }
}

// CapabilityBoundingSet= empty: a program that it runs has no capability, even as root.
void DropCapabilities() {
  for (int capability = 0; prctl(PR_CAPBSET_READ, capability) >= 0; ++capability) {
    if (prctl(PR_CAPBSET_DROP, capability) != 0) {
      Fail("drop capability " + std::to_string(capability));
    }
  }
  if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0) {
    Fail("no new privileges");
  }
}

using Filter = std::unique_ptr<void, decltype(&seccomp_release)>;

void Allow(const Filter& filter, int call, std::vector<scmp_arg_cmp> conditions = {}) {
  if (seccomp_rule_add_array(filter.get(), SCMP_ACT_ALLOW, call,
                             static_cast<unsigned>(conditions.size()), conditions.data()) != 0) {
    std::fprintf(stderr, "vex_unit_sandbox: rule for system call %d refused\n", call);
    std::exit(125);
  }
}

// The calls whose arguments the unit checks are allowed only with the arguments it lets pass.
void AllowCheckedCalls(const Filter& filter) {
  // MemoryDenyWriteExecute=yes.
  constexpr scmp_datum_t writeExecute = PROT_WRITE | PROT_EXEC;
  for (const scmp_datum_t kept :
       {scmp_datum_t{0}, scmp_datum_t{PROT_WRITE}, scmp_datum_t{PROT_EXEC}}) {
    Allow(filter, SCMP_SYS(mmap), {SCMP_A2(SCMP_CMP_MASKED_EQ, writeExecute, kept)});
  }
  Allow(filter, SCMP_SYS(mprotect), {SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0)});
  Allow(filter, SCMP_SYS(pkey_mprotect), {SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0)});
  Allow(filter, SCMP_SYS(shmat), {SCMP_A2(SCMP_CMP_MASKED_EQ, SHM_EXEC, 0)});
  // RestrictAddressFamilies=AF_UNIX AF_INET AF_INET6.
  for (const int family : {AF_UNIX, AF_INET, AF_INET6}) {
    Allow(filter, SCMP_SYS(socket), {SCMP_A0(SCMP_CMP_EQ, static_cast<scmp_datum_t>(family))});
  }
  // RestrictNamespaces=yes. clone3's flags lie in memory that a filter cannot read: systemd
  // answers it with ENOSYS, and the C library falls back to clone.
  Allow(filter, SCMP_SYS(clone), {SCMP_A0(SCMP_CMP_MASKED_EQ, kNamespaceFlags, 0)});
  if (seccomp_rule_add(filter.get(), SCMP_ACT_ERRNO(ENOSYS), SCMP_SYS(clone3), 0) != 0) {
    std::exit(125);
  }
  // LockPersonality=yes: the personality may be read, and set to what it is.
  for (const scmp_datum_t persona : {scmp_datum_t{0}, scmp_datum_t{0xffffffff}}) {
    Allow(filter, SCMP_SYS(personality), {SCMP_A0(SCMP_CMP_EQ, persona)});
  }
}

bool IsChecked(int call) {
  for (const int checked : {SCMP_SYS(mmap), SCMP_SYS(mprotect), SCMP_SYS(pkey_mprotect),
                            SCMP_SYS(shmat), SCMP_SYS(socket), SCMP_SYS(clone), SCMP_SYS(clone3),
                            SCMP_SYS(personality), SCMP_SYS(unshare), SCMP_SYS(setns)}) {
    if (call == checked) {
      return true;
    }
  }
  return false;
}

// SystemCallArchitectures=native is libseccomp's own default: calls of another ABI end the
// process.
void LoadFilter(const std::string& allowedCallsFile) {
  Filter filter(seccomp_init(SCMP_ACT_ERRNO(EPERM)), seccomp_release);
  if (!filter) {
    Fail("seccomp_init");
  }
  std::ifstream names(allowedCallsFile);
  if (!names) {
    Fail("read " + allowedCallsFile);
  }
  std::string name;
  while (names >> name) {
    const int call = seccomp_syscall_resolve_name(name.c_str());
    // Names of other architectures, or newer than libseccomp, are left out as systemd does.
    if (call != __NR_SCMP_ERROR && call >= 0 && !IsChecked(call)) {
      Allow(filter, call);
    }
  }
  AllowCheckedCalls(filter);
  if (seccomp_load(filter.get()) != 0) {
    Fail("seccomp_load");
  }
}

}  // namespace

int main(int argc, char** argv) {
  int separator = 3;
  while (separator < argc && std::strcmp(argv[separator], "--") != 0) {
    ++separator;
  }
  if (separator + 1 >= argc) {
    std::fprintf(stderr,
                 "usage: vex_unit_sandbox UMASK ALLOWED-CALLS-FILE WRITABLE-FOLDER... -- PROGRAM "
                 "ARGUMENT...\n");
    return 125;
  }
  MakeFileSystem(std::vector<std::string>(argv + 3, argv + separator));
  umask(static_cast<mode_t>(std::stoul(argv[1], nullptr, 8)));
  DropCapabilities();
  LoadFilter(argv[2]);
  execv(argv[separator + 1], argv + separator + 1);
  Fail(std::string("exec ") + argv[separator + 1]);
}
