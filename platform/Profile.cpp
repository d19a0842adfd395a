// implemented by the platform layer
