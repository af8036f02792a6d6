#include "app/drivers.h"

int main() {
  quarvex::Options options;
  options.headless = true;
  return quarvex::run_headless(options);
}
