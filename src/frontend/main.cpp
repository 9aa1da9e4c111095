#include "frontend/frontend.h"

int main() { return RunEngine(); }
