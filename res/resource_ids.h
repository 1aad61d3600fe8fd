#pragma once
#define IDI_ZARVIO 1
