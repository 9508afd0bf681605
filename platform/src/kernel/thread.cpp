// Thread identity: the kernel's thread id, which the window manager also
// uses to tell which thread owns a window and its queue.
#include <windows.h>

#include <sys/syscall.h>
#include <unistd.h>

DWORD WINAPI GetCurrentThreadId(void) {
  // A cached value per thread: the system call is cheap but asked often.
  thread_local const DWORD id = static_cast<DWORD>(syscall(SYS_gettid));
  return id;
}
