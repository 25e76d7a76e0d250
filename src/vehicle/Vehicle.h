#pragma once

// Placeholder until its module lands.
class Vehicle {};
