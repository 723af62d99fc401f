"""The end-to-end harness: what every case of the installer under Wine shares."""
