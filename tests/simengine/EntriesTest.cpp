#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <string>
#include <thread>

#include "tests/simengine/SimEngineHarness.h"
#include "tests/support/WaitUntil.h"

namespace vex::test {
namespace {

TEST(SimEngineEntries, ModuleExportsBothEntries) {
  ASSERT_TRUE(Module().Error.empty()) << Module().Error;
  EXPECT_NE(Module().Create, nullptr);
  EXPECT_NE(Module().Release, nullptr);
}

TEST(SimEngineEntries, CreateChecksVersionAndIdentifier) {
  ScopedSimEnvironment env({});
  auto wrongId = kServerEngineInterfaceId;
  wrongId[15] ^= 1;
  struct Case {
    const char* Name;
    int Version;
    const std::uint8_t* Id;
  };
  const Case cases[] = {
      {"version 1", 1, kServerEngineInterfaceId.data()},
      {"version 3", 3, kServerEngineInterfaceId.data()},
      {"last identifier byte changed", 2, wrongId.data()},
      {"no identifier", 2, nullptr},
  };
  for (const Case& c : cases) {
    IServerEngine* engine = reinterpret_cast<IServerEngine*>(&env);  // any non-null value
    EXPECT_NE(Module().Create(c.Version, c.Id, &engine), 0) << c.Name;
    EXPECT_EQ(engine, nullptr) << c.Name;
  }
  EXPECT_NE(Module().Create(2, kServerEngineInterfaceId.data(), nullptr), 0);

  IServerEngine* engine = nullptr;
  ASSERT_EQ(Module().Create(2, kServerEngineInterfaceId.data(), &engine), 0);
  ASSERT_NE(engine, nullptr);
  IServerEngine* second = nullptr;
  EXPECT_NE(Module().Create(2, kServerEngineInterfaceId.data(), &second), 0)
      << "one engine per module";
  EXPECT_EQ(second, nullptr);
  Module().Release();
  ASSERT_EQ(Module().Create(2, kServerEngineInterfaceId.data(), &engine), 0)
      << "released engines make room for a new one";
  Module().Release();
}

TEST(SimEngineEntries, OffersTwoServicesAndOnlyTheSecondIsMarked) {
  TestEngine engine;
  ASSERT_TRUE(engine.Created());
  ASSERT_NE(engine->StartNetwork(0, 0), 0);
  NetServiceEntry* list = nullptr;
  ASSERT_NE(engine->ListNetServices(&list), 0);
  ASSERT_NE(list, nullptr);
  ASSERT_NE(list->Next, nullptr);
  EXPECT_EQ(list->Next->Next, nullptr);
  EXPECT_EQ(list->Flags & kNetServiceUseFlag, 0u);
  EXPECT_EQ(list->Next->Flags & kNetServiceUseFlag, kNetServiceUseFlag);
  EXPECT_NE(list->Handle, list->Next->Handle);

  const std::uint32_t marked = list->Next->Handle;
  const std::uint32_t unknown = list->Handle ^ marked ^ 0xFFFF;
  EXPECT_NE(engine->ReleaseNetServices(list), 0);
  EXPECT_EQ(engine->ReleaseNetServices(list), 0) << "a list is released once";
  EXPECT_EQ(engine->ChooseNetService(unknown), 0);
  EXPECT_NE(engine.LastError().find(std::to_string(unknown)), std::string::npos);
  EXPECT_NE(engine->ChooseNetService(marked), 0);
}

// The host's start-up order; each fault must fail its own step and no step before it.
enum class Step { Create, Attach, Archives, Service, Host, GameCode, Start, None };

Step FirstFailingStep(const char* fault) {
  ScopedSimEnvironment env({{"VEX_SIM_FAULT", fault}});
  IServerEngine* engine = nullptr;
  if (Module().Create(2, kServerEngineInterfaceId.data(), &engine) != 0 || engine == nullptr) {
    return Step::Create;
  }
  struct Release {
    IServerEngine* Engine;
    ~Release() {
      Engine->AttachHandler(nullptr);
      Module().Release();
    }
  } release{engine};
  RecordingHandler handler;
  if (engine->AttachHandler(&handler) != 0) {
    return Step::Attach;
  }
  const char* archives[] = {"orvo.rez", "sounds.rez"};
  if (engine->LoadResourceArchives(archives, 2) == 0) {
    return Step::Archives;
  }
  NetServiceEntry* list = nullptr;
  if (engine->StartNetwork(0, 0) == 0 || engine->ListNetServices(&list) == 0) {
    return Step::Service;
  }
  const std::uint32_t handle = list->Next->Handle;
  engine->ReleaseNetServices(list);
  if (engine->ChooseNetService(handle) == 0) {
    return Step::Service;
  }
  const CGameOptions block = MakeOptions({});
  engine->SetGameOptions(&block, sizeof block);
  HostRecord record{};
  if (engine->StartHosting(&record) == 0) {
    return Step::Host;
  }
  if (engine->LoadGameCode() == 0) {
    return Step::GameCode;
  }
  const std::uint8_t start[32] = {0, 10};
  if (engine->PostShellMessage(start, sizeof start) != 0) {
    return Step::Start;
  }
  char reason[256] = {};
  engine->ReadLastError(reason, 255);
  return reason[0] == '\0' ? Step::None : Step::Create;
}

TEST(SimEngineFaults, EachStepFaultFailsThatStepOnly) {
  const std::pair<const char*, Step> cases[] = {
      {"", Step::None},
      {"create", Step::Create},
      {"attach", Step::Attach},
      {"archives", Step::Archives},
      {"service", Step::Service},
      {"host", Step::Host},
      {"gamecode", Step::GameCode},
      {"start", Step::Start},
      {"frame:1", Step::None},
  };
  for (const auto& [fault, step] : cases) {
    EXPECT_EQ(FirstFailingStep(fault), step) << "VEX_SIM_FAULT=" << fault;
  }
}

TEST(SimEngineFaults, MalformedValuesRefuseCreation) {
  for (const char* value : {"frame", "frame:0", "frame:x", "frame:3x", "hang:", "Create", "oom"}) {
    TestEngine engine({{"VEX_SIM_FAULT", value}});
    EXPECT_FALSE(engine.Created()) << value;
  }
  for (const char* value : {"-1", "many", "256"}) {
    TestEngine engine({{"VEX_SIM_BOTS", value}});
    EXPECT_FALSE(engine.Created()) << "VEX_SIM_BOTS=" << value;
  }
}

TEST(SimEngineFaults, FrameFaultFailsExactlyThatFrameWithAReason) {
  TestEngine engine({{"VEX_SIM_FAULT", "frame:3"}});
  ASSERT_TRUE(engine.Created());
  EXPECT_NE(engine->RunFrame(0), 0);
  EXPECT_NE(engine->RunFrame(0), 0);
  EXPECT_EQ(engine.LastError(), "");
  EXPECT_EQ(engine->RunFrame(0), 0);
  // The window thread may ask for a ping between the failed frame and the reading of its reason.
  float ping = 0;
  EXPECT_EQ(engine->ReadClientPing(99, &ping), 0);
  EXPECT_NE(engine.LastError().find("frame 3"), std::string::npos) << engine.LastError();
}

TEST(SimEngineFaults, OutOfMemoryIsReportedFromInsideItsFrame) {
  TestEngine engine({{"VEX_SIM_FAULT", "oom:2"}});
  ASSERT_TRUE(engine.Created());
  EXPECT_NE(engine->RunFrame(0), 0);
  EXPECT_EQ(engine.Handler().OutOfMemoryCount(), 0);
  EXPECT_NE(engine->RunFrame(0), 0);
  EXPECT_EQ(engine.Handler().OutOfMemoryCount(), 1);
  engine.RunFrames(3);
  EXPECT_EQ(engine.Handler().OutOfMemoryCount(), 1);
}

double ThreadCpuSeconds(pthread_t thread) {
  clockid_t clock;
  timespec spent{};
  if (pthread_getcpuclockid(thread, &clock) != 0 || clock_gettime(clock, &spent) != 0) {
    return -1;
  }
  return static_cast<double>(spent.tv_sec) + static_cast<double>(spent.tv_nsec) / 1e9;
}

// The system call that a thread of this process is blocked in, or -1 while it runs.
long BlockingSystemCall(pid_t thread) {
  std::ifstream file("/proc/self/task/" + std::to_string(thread) + "/syscall");
  long call = -1;
  return file >> call ? call : -1;
}

TEST(SimEngineFaults, HungFrameSleepsWithoutHoldingTheEngine) {
  TestEngine engine({{"VEX_SIM_FAULT", "hang:2"}});
  ASSERT_TRUE(engine.Created());
  EXPECT_NE(engine->RunFrame(0), 0);
  auto returned = std::make_shared<std::atomic<bool>>(false);
  auto threadId = std::make_shared<std::atomic<pid_t>>(0);
  IServerEngine* raw = engine.Raw();
  std::thread frame([raw, returned, threadId] {
    *threadId = gettid();
    raw->RunFrame(0);
    *returned = true;
  });
  const pthread_t native = frame.native_handle();
  frame.detach();
  // Asleep in the kernel: past the engine's lock and past where a frame that returns would have
  // returned.
  const auto asleep = [&threadId] {
    const long call = *threadId != 0 ? BlockingSystemCall(*threadId) : -1;
    return call == SYS_clock_nanosleep || call == SYS_nanosleep;
  };
  ASSERT_TRUE(test::WaitUntil(asleep, std::chrono::seconds(10)));

  EXPECT_FALSE(*returned);
  float ping = 0;
  EXPECT_EQ(engine->ReadClientPing(1, &ping), 0) << "the engine's lock must be free";
  EXPECT_EQ(engine.LastError(), "");
  const double cpu = ThreadCpuSeconds(native);
  EXPECT_GE(cpu, 0.0);
  EXPECT_LT(cpu, 0.1) << "a hung frame sleeps instead of spinning";
}

TEST(SimEngineSettings, FrameTraceAndFrameTimeForBenchmarks) {
  {
    TestEngine plain;
    ASSERT_TRUE(plain.Created());
    plain.RunFrames(3);
    EXPECT_TRUE(plain.Handler().Packets().empty());
  }
  TestEngine traced({{"VEX_SIM_FRAME_TRACE", "1"}, {"VEX_SIM_FRAME_MS", "20"}});
  ASSERT_TRUE(traced.Created());
  const auto begin = std::chrono::steady_clock::now();
  traced.RunFrames(3);
  EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(60));
  EXPECT_EQ(traced.Handler().Packets(), (std::vector<std::uint32_t>{1, 2, 3}));

  for (const char* trace : {"yes", "2"}) {
    TestEngine refused({{"VEX_SIM_FRAME_TRACE", trace}});
    EXPECT_FALSE(refused.Created()) << trace;
  }
}

TEST(SimEngineLastError, CopiesABoundedTerminatedReason) {
  TestEngine engine;
  ASSERT_TRUE(engine.Created());
  EXPECT_EQ(engine->KickClient(12345), 0);
  const std::string reason = engine.LastError();
  ASSERT_GT(reason.size(), 8u);

  char small[10];
  std::memset(small, 'x', sizeof small);
  EXPECT_NE(engine->ReadLastError(small, 8), 0);
  EXPECT_EQ(std::string(small), reason.substr(0, 7));
  EXPECT_EQ(small[8], 'x') << "nothing past the size given";

  EXPECT_EQ(engine->ReadLastError(small, 0), 0);
  EXPECT_EQ(small[0], reason[0]) << "a size of 0 writes nothing";
}

}  // namespace
}  // namespace vex::test
