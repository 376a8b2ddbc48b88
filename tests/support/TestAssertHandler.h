#pragma once
// Makes every failed wxWidgets assertion a test failure instead of a modal
// dialog that would hang a headless run.
void InstallTestAssertHandler();
