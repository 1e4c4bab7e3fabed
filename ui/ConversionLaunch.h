#pragma once

// Command 1001 (Convert).
bool onConvert();
