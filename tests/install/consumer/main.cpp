// A host program that only knows the installed package.
#include <windows.h>
#include <vq_tbl32.h>

#include <cstdio>
#include <cstring>

int main() {
  if (vqGetTbl32Version() != 256 || std::strcmp(DllVersion, "1.00") != 0 ||
      MulDiv(10, 96, 72) != 13) {
    std::puts("consumer: unexpected answers from the installed package");
    return 1;
  }
  std::printf("consumer: vq_tbl32 %s build %s\n", DllVersion, DllBuild);
  return 0;
}
